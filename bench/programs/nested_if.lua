local c = 0
for i = 1, 2000 do
  for j = 1, 2000 do
    if i < j then c = c + 1 end
  end
end
print(c)
