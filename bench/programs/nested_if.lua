local c = 0
local i = 1
while i <= 2000 do
  local j = 1
  while j <= 2000 do
    if i < j then c = c + 1 end
    j = j + 1
  end
  i = i + 1
end
print(c)
