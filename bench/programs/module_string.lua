local function g(x) return string.format("%g", x) .. "ab" end
local t
for i = 1, 300000 do
  t = g(i)
end
print(t)
