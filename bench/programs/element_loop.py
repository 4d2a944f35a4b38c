m = [[1.0 if (i + j) % 2 == 0 else 0.0 for j in range(1, 1001)] for i in range(1, 1001)]
for i in range(1, 1001):
    for j in range(1, 1001):
        m[i - 1][j - 1] = m[i - 1][j - 1] * 2 + 1
print(m[999][999])
