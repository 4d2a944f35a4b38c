s = 0
i = 1
while i <= 10000000:
    s = s + i * 0.5
    i = i + 1
print(s)
