local m = {}
for i = 1, 1000 do
  local row = {}
  for j = 1, 1000 do row[j] = (i + j) % 2 == 0 and 1.0 or 0.0 end
  m[i] = row
end
for i = 1, 1000 do
  for j = 1, 1000 do
    m[i][j] = m[i][j] * 2 + 1
  end
end
print(m[1000][1000])
