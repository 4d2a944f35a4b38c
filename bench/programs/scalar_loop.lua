local s = 0
local i = 1
while i <= 10000000 do
  s = s + i
  i = i + 1
end
print(s)
