import math


def f(x):
    return math.sqrt(x) + abs(math.sin(x))


s = 0
for i in range(1, 1000001):
    s = s + f(i)
print(s)
