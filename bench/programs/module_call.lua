local function sq(x) return x * x end
local s = 0
for i = 1, 1000000 do
  s = s + sq(i)
end
print(s)
