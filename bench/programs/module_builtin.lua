local function f(x) return math.sqrt(x) + math.abs(math.sin(x)) end
local s = 0
for i = 1, 1000000 do
  s = s + f(i)
end
print(s)
