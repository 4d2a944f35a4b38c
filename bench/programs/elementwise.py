import numpy as np
a = np.zeros((10000, 1000))
a[0::2, 0::2] = 1.0
a[1::2, 1::2] = 1.0
b = a + 1
c = a + b
c = a * b
c = np.sqrt(b)
print(c[9999, 999])
