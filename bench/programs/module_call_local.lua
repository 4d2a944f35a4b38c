local function sq(x)
  local y = x * x
  if y < 0 then y = 0 end
  return y
end
local s = 0
for i = 1, 1000000 do
  s = s + sq(i)
end
print(s)
