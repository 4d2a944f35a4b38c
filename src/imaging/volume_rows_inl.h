// The row kernels of the 3 x 3 x 3 volume filters, written once over the compiler's vector
// extensions and compiled twice by volume_rows.cpp: for AVX2 (32-byte vectors) and for the
// baseline (16-byte vectors). No include guard: the includer sets PRAVELLA_ROW_BYTES and
// PRAVELLA_ROW_SQRT and opens the namespace.
//
// Every kernel gives the same integers as the scalar formulas: sums are exact 32-bit integers,
// and a quotient of an integer below 2^24 by a small divisor (27 at most) is truncated from a
// single-precision division. That is exact: when the true quotient is no integer it is at least
// 1/27 away from one, far more than half a unit in the last place of a value below 2^16.
// The gradient's magnitude stays in double precision, as its formula is.

using Int = std::int32_t __attribute__((vector_size(PRAVELLA_ROW_BYTES)));
using Short = std::int16_t __attribute__((vector_size(PRAVELLA_ROW_BYTES / 2)));
using Float = float __attribute__((vector_size(PRAVELLA_ROW_BYTES)));
using Double = double __attribute__((vector_size(PRAVELLA_ROW_BYTES)));
using HalfInt = std::int32_t __attribute__((vector_size(PRAVELLA_ROW_BYTES / 2)));
using HalfFloat = float __attribute__((vector_size(PRAVELLA_ROW_BYTES / 2)));
constexpr int kLanes = PRAVELLA_ROW_BYTES / 4;
constexpr int kDoubleLanes = PRAVELLA_ROW_BYTES / 8;

// Vectors are passed by reference only: by value they would change the calling convention
// between the two compilations.
inline void load(Int& v, const std::int32_t* p) { std::memcpy(&v, p, sizeof v); }
inline void load(Int& v, const std::int16_t* p) {
  Short s;
  std::memcpy(&s, p, sizeof s);
  v = __builtin_convertvector(s, Int);
}
inline void store(std::int32_t* p, const Int& v) { std::memcpy(p, &v, sizeof v); }
// The low 16 bits of each lane.
inline void store(std::int16_t* p, const Int& v) {
  const Short s = __builtin_convertvector(v, Short);
  std::memcpy(p, &s, sizeof s);
}

// Whether every lane of a comparison's result is true.
inline bool allLanes(const Int& mask) {
  for (int i = 0; i < kLanes; ++i)
    if (!mask[i]) return false;
  return true;
}

// out = a + b + c over n elements; a or c may be null (a slice outside the volume).
void sum3(const std::int16_t* a, const std::int16_t* b, const std::int16_t* c, std::int32_t* out, int n) {
  int x = 0;
  for (; x + kLanes <= n; x += kLanes) {
    Int s, t;
    load(s, b + x);
    if (a) {
      load(t, a + x);
      s += t;
    }
    if (c) {
      load(t, c + x);
      s += t;
    }
    store(out + x, s);
  }
  for (; x < n; ++x) out[x] = b[x] + (a ? a[x] : 0) + (c ? c[x] : 0);
}

// sum = a + b + c and difference = a - c over n elements, none null.
void sumAndDifference(const std::int16_t* a, const std::int16_t* b, const std::int16_t* c, std::int32_t* sum,
                      std::int32_t* difference, int n) {
  int x = 0;
  for (; x + kLanes <= n; x += kLanes) {
    Int va, vb, vc;
    load(va, a + x);
    load(vb, b + x);
    load(vc, c + x);
    store(sum + x, va + vb + vc);
    store(difference + x, va - vc);
  }
  for (; x < n; ++x) {
    sum[x] = a[x] + b[x] + c[x];
    difference[x] = a[x] - c[x];
  }
}

// out = a + b + c over n 32-bit elements.
void add3(const std::int32_t* a, const std::int32_t* b, const std::int32_t* c, std::int32_t* out, int n) {
  int x = 0;
  for (; x + kLanes <= n; x += kLanes) {
    Int va, vb, vc;
    load(va, a + x);
    load(vb, b + x);
    load(vc, c + x);
    store(out + x, va + vb + vc);
  }
  for (; x < n; ++x) out[x] = a[x] + b[x] + c[x];
}

// out[x] = (s[x-1] + s[x] + s[x+1]) / count[x] truncated, for x in [0, n); s[-1] and s[n] are 0.
void meanRow(const std::int32_t* s, const float* count, std::int16_t* out, int n) {
  int x = 0;
  for (; x + kLanes <= n; x += kLanes) {
    Int l, m, r;
    load(l, s + x - 1);
    load(m, s + x);
    load(r, s + x + 1);
    Float c;
    std::memcpy(&c, count + x, sizeof c);
    const Int q = __builtin_convertvector(__builtin_convertvector(l + m + r, Float) / c, Int);
    store(out + x, q);
  }
  for (; x < n; ++x)
    out[x] = static_cast<std::int16_t>(static_cast<std::int32_t>(static_cast<float>(s[x - 1] + s[x] + s[x + 1]) / count[x]));
}

// The Laplace forms where all 26 neighbours exist, x in [begin, end) with begin >= 1 and end < n:
// the cube sum less the centre and the corners (x-1, y-1, z-1) and (x+1, y+1, z+1), against 24
// times the centre, over 10 truncated, the low 16 bits kept. corner0 is row y-1 of slice z-1,
// corner1 row y+1 of slice z+1.
void laplaceRow(const std::int32_t* s, const std::int16_t* centre, const std::int16_t* corner0,
                const std::int16_t* corner1, bool negate, std::int16_t* out, int begin, int end) {
  int x = begin;
  const Float ten = Float{} + 10.0f;
  for (; x + kLanes <= end; x += kLanes) {
    Int l, m, r, c, k0, k1;
    load(l, s + x - 1);
    load(m, s + x);
    load(r, s + x + 1);
    load(c, centre + x);
    load(k0, corner0 + x - 1);
    load(k1, corner1 + x + 1);
    const Int neighbours = l + m + r - c - k0 - k1;
    const Int d = negate ? neighbours - c * 24 : c * 24 - neighbours;
    store(out + x, __builtin_convertvector(__builtin_convertvector(d, Float) / ten, Int));
  }
  for (; x < end; ++x) {
    const std::int32_t c = centre[x], neighbours = s[x - 1] + s[x] + s[x + 1] - c - corner0[x - 1] - corner1[x + 1];
    const std::int32_t d = negate ? neighbours - c * 24 : c * 24 - neighbours;
    out[x] = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<std::int32_t>(static_cast<float>(d) / 10.0f)));
  }
}

// trunc(sqrt(gx² + gy² + gz²) / 3) capped at 32767, for one vector of voxels.
//
// The formula's square root is in double precision, but its result is the same as that of
// the integer square root: floor(sqrt(s)) of the correctly rounded root is exact for integers
// s below 2^52, and floor(r / 3) = floor(floor(r) / 3) for any r >= 0, while rounding r / 3 to
// double never reaches the next integer (r / 3 below an integer k is below it by at least a
// third of a unit of r). So the division is done on the integer part, exactly in single
// precision. Most voxels have s below 2^23: there single precision holds s and its squares
// exactly and floor(sqrt(s)) of its correctly rounded root is exact too (s < 4095²), at twice
// the lanes; other vectors take double precision.
void magnitudes(const Int& gx, const Int& gy, const Int& gz, std::int16_t* out) {
  const Float fx = __builtin_convertvector(gx, Float), fy = __builtin_convertvector(gy, Float),
              fz = __builtin_convertvector(gz, Float);
  Float s = fx * fx + fy * fy + fz * fz;
  const Float three = Float{} + 3.0f;
  const Int small = s < 8388608.0f;
  if (PRAVELLA_ROW_ALL(small)) {
    PRAVELLA_ROW_SQRTF(s);
    const Int whole = __builtin_convertvector(s, Int);
    store(out, __builtin_convertvector(__builtin_convertvector(whole, Float) / three, Int));
    return;
  }
  // Capping floor(r) at 3 x 32767 + 2 caps the result at 32767.
  const HalfInt capped = HalfInt{} + (3 * 32767 + 2);
  const HalfFloat thirds = HalfFloat{} + 3.0f;
  for (int half = 0; half < 2; ++half) {
    HalfInt hx, hy, hz;
    const std::size_t offset = static_cast<std::size_t>(half) * sizeof(HalfInt);
    std::memcpy(&hx, reinterpret_cast<const char*>(&gx) + offset, sizeof hx);
    std::memcpy(&hy, reinterpret_cast<const char*>(&gy) + offset, sizeof hy);
    std::memcpy(&hz, reinterpret_cast<const char*>(&gz) + offset, sizeof hz);
    const Double dx = __builtin_convertvector(hx, Double), dy = __builtin_convertvector(hy, Double),
                 dz = __builtin_convertvector(hz, Double);
    Double g = dx * dx + dy * dy + dz * dz;
    PRAVELLA_ROW_SQRT(g);
    HalfInt whole = __builtin_convertvector(g, HalfInt);  // below 2^21: three sums of 9 x 65535
    whole = whole < capped ? whole : capped;
    const HalfInt q = __builtin_convertvector(__builtin_convertvector(whole, HalfFloat) / thirds, HalfInt);
    for (int i = 0; i < kDoubleLanes; ++i) out[half * kDoubleLanes + i] = static_cast<std::int16_t>(q[i]);
  }
}

// One interior row of the gradient magnitude. zs0..zs2 are the sums of the three slices along
// rows y-1, y and y+1, dz0..dz2 the differences slice z-1 minus slice z+1 along the same rows;
// `work` holds 3 x (n + 2 x kRowPad) integers. Columns 1 to n-2 of out are written.
void gradientRow(const std::int32_t* zs0, const std::int32_t* zs1, const std::int32_t* zs2, const std::int32_t* dz0,
                 const std::int32_t* dz1, const std::int32_t* dz2, std::int32_t* work, std::int16_t* out, int n) {
  const std::size_t stride = static_cast<std::size_t>(n) + 2 * kRowPad;
  std::int32_t* across = work + kRowPad;  // along x: all nine rows of slices and rows
  std::int32_t* rows = across + stride;   // row y-1 minus row y+1
  std::int32_t* slices = rows + stride;   // slice z-1 minus slice z+1
  int x = 0;
  for (; x + kLanes <= n; x += kLanes) {
    Int a, b, c;
    load(a, zs0 + x);
    load(b, zs1 + x);
    load(c, zs2 + x);
    store(across + x, a + b + c);
    store(rows + x, a - c);
    load(a, dz0 + x);
    load(b, dz1 + x);
    load(c, dz2 + x);
    store(slices + x, a + b + c);
  }
  for (; x < n; ++x) {
    across[x] = zs0[x] + zs1[x] + zs2[x];
    rows[x] = zs0[x] - zs2[x];
    slices[x] = dz0[x] + dz1[x] + dz2[x];
  }
  x = 1;
  for (; x + kLanes <= n - 1; x += kLanes) {
    Int l, m, r;
    load(l, across + x - 1);
    load(r, across + x + 1);
    const Int gx = l - r;
    load(l, rows + x - 1);
    load(m, rows + x);
    load(r, rows + x + 1);
    const Int gy = l + m + r;
    load(l, slices + x - 1);
    load(m, slices + x);
    load(r, slices + x + 1);
    const Int gz = l + m + r;
    magnitudes(gx, gy, gz, out + x);
  }
  for (; x < n - 1; ++x) {
    const double gx = across[x - 1] - across[x + 1], gy = rows[x - 1] + rows[x] + rows[x + 1],
                 gz = slices[x - 1] + slices[x] + slices[x + 1];
    const double g = std::trunc(std::sqrt(gx * gx + gy * gy + gz * gz) / 3.0);
    out[x] = static_cast<std::int16_t>(std::min(g, 32767.0));
  }
}
