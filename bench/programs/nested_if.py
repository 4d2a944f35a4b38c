c = 0
for i in range(1, 2001):
    for j in range(1, 2001):
        if i < j:
            c = c + 1
print(c)
