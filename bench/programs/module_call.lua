local function sq(x) return x * x end
local s = 0
local i = 1
while i <= 1000000 do
  s = s + sq(i)
  i = i + 1
end
print(s)
