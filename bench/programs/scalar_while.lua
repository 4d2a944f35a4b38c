local s = 0
local i = 1
while i <= 10000000 do
  s = s + i * 0.5
  i = i + 1
end
print(s)
