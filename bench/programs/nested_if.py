c = 0
i = 1
while i <= 2000:
    j = 1
    while j <= 2000:
        if i < j:
            c = c + 1
        j += 1
    i += 1
print(c)
