def sq(x):
    return x * x
s = 0
i = 1
while i <= 1000000:
    s = s + sq(i)
    i += 1
print(s)
