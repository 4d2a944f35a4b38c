local function sq(x)
  local y = x * x
  if y < 0 then y = 0 end
  return y
end
local s = 0
local i = 1
while i <= 1000000 do
  s = s + sq(i)
  i = i + 1
end
print(s)
