def g(x):
    return "%g" % x + "ab"


t = ""
for i in range(1, 300001):
    t = g(i)
print(t)
