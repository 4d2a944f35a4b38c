s = ""
for i in range(1, 100001):
    s = s + "x"
print(len(s))
