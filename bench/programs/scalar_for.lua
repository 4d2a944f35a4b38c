local s = 0
for i = 1, 10000000 do
  s = s + i * 0.5
end
print(s)
