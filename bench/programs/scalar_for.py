s = 0
for i in range(1, 10000001):
    s = s + i * 0.5
print(s)
