def sq(x):
    y = x * x
    if y < 0:
        y = 0
    return y

s = 0
i = 1
while i <= 1000000:
    s = s + sq(i)
    i = i + 1
print(s)
