def sq(x):
    y = x * x
    if y < 0:
        y = 0
    return y

s = 0
for i in range(1, 1000001):
    s = s + sq(i)
print(s)
