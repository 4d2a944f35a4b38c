def sq(x):
    return x * x
s = 0
for i in range(1, 1000001):
    s = s + sq(i)
print(s)
