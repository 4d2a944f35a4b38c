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

// The 32 bits at each voxel index: that voxel in the low half, the next one in the high half.
inline HalfInt gatherPairs(const std::int16_t* base, const HalfInt& index) {
  HalfInt pairs;
  for (int i = 0; i < kDoubleLanes; ++i) {
    std::uint32_t bits;
    std::memcpy(&bits, base + index[i], sizeof bits);
    pairs[i] = static_cast<std::int32_t>(bits);
  }
  return pairs;
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

// The six sums of the 3 x 3 x 3 window correlation over the pairs (a, b) where both are
// non-zero: count, a, b, a², b², ab. Each is held in double precision, where sums of these
// integers are exact (below 2^53) in any order. A block holds the six channels of a row one
// after the other, `stride` apart.
constexpr int kPairChannels = kPairSumRows;

// Adds (or, for the first slice, stores) the channels of one row of slices a and b.
inline void pairChannels(const std::int16_t* a, const std::int16_t* b, double* block, std::size_t stride, int n,
                         bool first) {
  double* ch[kPairChannels];
  for (int c = 0; c < kPairChannels; ++c) ch[c] = block + static_cast<std::size_t>(c) * stride;
  int x = 0;
  for (; x + kDoubleLanes <= n; x += kDoubleLanes) {
    HalfInt va, vb;
    {
      using HalfShort = std::int16_t __attribute__((vector_size(PRAVELLA_ROW_BYTES / 4)));
      HalfShort sa, sb;
      std::memcpy(&sa, a + x, sizeof sa);
      std::memcpy(&sb, b + x, sizeof sb);
      va = __builtin_convertvector(sa, HalfInt);
      vb = __builtin_convertvector(sb, HalfInt);
    }
    const HalfInt both = (va != 0) & (vb != 0);
    va &= both;
    vb &= both;
    const Double da = __builtin_convertvector(va, Double), db = __builtin_convertvector(vb, Double);
    const Double values[kPairChannels] = {__builtin_convertvector(both & 1, Double), da, db, da * da, db * db,
                                          da * db};
    for (int c = 0; c < kPairChannels; ++c) {
      Double sum = values[c];
      if (!first) {
        Double old;
        std::memcpy(&old, ch[c] + x, sizeof old);
        sum += old;
      }
      std::memcpy(ch[c] + x, &sum, sizeof sum);
    }
  }
  for (; x < n; ++x) {
    const bool both = a[x] && b[x];
    const double da = both ? a[x] : 0, db = both ? b[x] : 0;
    const double values[kPairChannels] = {both ? 1.0 : 0.0, da, db, da * da, db * db, da * db};
    for (int c = 0; c < kPairChannels; ++c) ch[c][x] = first ? values[c] : ch[c][x] + values[c];
  }
}

// The channels of one row summed over the slices below, at and above (below or above null
// outside the volume).
void pairSums(const std::int16_t* a0, const std::int16_t* b0, const std::int16_t* a1, const std::int16_t* b1,
              const std::int16_t* a2, const std::int16_t* b2, double* block, std::size_t stride, int n) {
  pairChannels(a1, b1, block, stride, n, true);
  if (a0) pairChannels(a0, b0, block, stride, n, false);
  if (a2) pairChannels(a2, b2, block, stride, n, false);
}

// out = a + b + c over n doubles.
void add3Double(const double* a, const double* b, const double* c, double* out, std::size_t n) {
  std::size_t x = 0;
  for (; x + kDoubleLanes <= n; x += kDoubleLanes) {
    Double va, vb, vc;
    std::memcpy(&va, a + x, sizeof va);
    std::memcpy(&vb, b + x, sizeof vb);
    std::memcpy(&vc, c + x, sizeof vc);
    va += vb + vc;
    std::memcpy(out + x, &va, sizeof va);
  }
  for (; x < n; ++x) out[x] = a[x] + (b[x] + c[x]);
}

// The correlation of each window of one row from the channels summed over its slices and rows
// (padded with zeros), summed here along x: 10000 (n Σab - Σa Σb) / sqrt((n Σa² - (Σa)²)
// (n Σb² - (Σb)²)), 0 where the root is 0, truncated to 16 bits. The centred sums are exact
// integers, as in 64-bit arithmetic.
void correlationRow(const double* block, std::size_t stride, std::int16_t* out, int n) {
  const double* ch[kPairChannels];
  for (int c = 0; c < kPairChannels; ++c) ch[c] = block + static_cast<std::size_t>(c) * stride;
  int x = 0;
  for (; x + kDoubleLanes <= n; x += kDoubleLanes) {
    Double w[kPairChannels];
    for (int c = 0; c < kPairChannels; ++c) {
      Double l, m, r;
      std::memcpy(&l, ch[c] + x - 1, sizeof l);
      std::memcpy(&m, ch[c] + x, sizeof m);
      std::memcpy(&r, ch[c] + x + 1, sizeof r);
      w[c] = l + m + r;
    }
    const Double ab = w[0] * w[5] - w[1] * w[2];
    Double d = (w[0] * w[3] - w[1] * w[1]) * (w[0] * w[4] - w[2] * w[2]);
    PRAVELLA_ROW_SQRT(d);
    const Double zero = Double{};
    const auto some = d != zero;
    const Double q = (10000.0 * ab) / (some ? d : zero + 1.0);
    const HalfInt whole = __builtin_convertvector(some ? q : zero, HalfInt);
    for (int i = 0; i < kDoubleLanes; ++i) out[x + i] = static_cast<std::int16_t>(whole[i]);
  }
  for (; x < n; ++x) {
    double w[kPairChannels];
    for (int c = 0; c < kPairChannels; ++c) w[c] = ch[c][x - 1] + ch[c][x] + ch[c][x + 1];
    const double ab = w[0] * w[5] - w[1] * w[2];
    const double d = std::sqrt((w[0] * w[3] - w[1] * w[1]) * (w[0] * w[4] - w[2] * w[2]));
    out[x] = d == 0 ? 0 : static_cast<std::int16_t>(static_cast<std::int32_t>(10000.0 * ab / d));
  }
}

// One row (y, z) of a volume resampled through the 4 x 4 matrix M: the row vector [x y z 1]
// times M, divided by its fourth component (skipped when M has no projective part, as the
// division by exactly 1 changes nothing), read between the 8 voxels around the point, with the
// same operations in the same order as the one-voxel formula. 0 where the point is not finite
// or its cell does not lie inside the volume with a voxel to spare on each side.
void trilinearRow(const std::int16_t* voxels, int columns, int rows, int slices, const double* M, int y, int z,
                  std::int16_t* out, int n) {
  const double fy = y, fz = z;
  const bool affine = M[3] == 0 && M[7] == 0 && M[11] == 0 && M[15] == 1;
  const std::size_t C = static_cast<std::size_t>(columns), plane = C * static_cast<std::size_t>(rows);
  const Double one = Double{} + 1.0;
  Double lane;
  for (int i = 0; i < kDoubleLanes; ++i) lane[i] = i;
  int x = 0;
  for (; x + kDoubleLanes <= n; x += kDoubleLanes) {
    const Double fx = lane + static_cast<double>(x);
    Double X = fx * M[0] + fy * M[4] + fz * M[8] + M[12];
    Double Y = fx * M[1] + fy * M[5] + fz * M[9] + M[13];
    Double Z = fx * M[2] + fy * M[6] + fz * M[10] + M[14];
    if (!affine) {
      const Double w = fx * M[3] + fy * M[7] + fz * M[11] + M[15];
      X /= w;
      Y /= w;
      Z /= w;
    }
    // x - x is 0 for finite x, NaN otherwise; the truncations below are then rejected too.
    const auto finite = (X - X == 0) & (Y - Y == 0) & (Z - Z == 0);
    const HalfInt xi = __builtin_convertvector(X, HalfInt), yi = __builtin_convertvector(Y, HalfInt),
                  zi = __builtin_convertvector(Z, HalfInt);
    const HalfInt inside = __builtin_convertvector(finite, HalfInt) & (xi > 0) & (xi < columns - 2) & (yi > 0) &
                           (yi < rows - 2) & (zi > 0) & (zi < slices - 2);
    // Each pair of neighbours along x is one 32-bit read: the low half is the voxel at x, the
    // high half the one after it. Points outside read the first pair and are set to 0 below.
    const HalfInt at = ((zi & inside) * rows + (yi & inside)) * columns + (xi & inside);
    const int rowStep = columns, sliceStep = columns * rows;
    const HalfInt pair0 = PRAVELLA_ROW_GATHER_PAIRS(voxels, at),
                  pair1 = PRAVELLA_ROW_GATHER_PAIRS(voxels, at + rowStep),
                  pair2 = PRAVELLA_ROW_GATHER_PAIRS(voxels, at + sliceStep),
                  pair3 = PRAVELLA_ROW_GATHER_PAIRS(voxels, at + (sliceStep + rowStep));
    const Double ax = X - __builtin_convertvector(xi, Double), ay = Y - __builtin_convertvector(yi, Double),
                 az = Z - __builtin_convertvector(zi, Double);
    const Double bx = one - ax;
    const Double c00 = __builtin_convertvector((pair0 << 16) >> 16, Double) * bx +
                       __builtin_convertvector(pair0 >> 16, Double) * ax;
    const Double c10 = __builtin_convertvector((pair1 << 16) >> 16, Double) * bx +
                       __builtin_convertvector(pair1 >> 16, Double) * ax;
    const Double c01 = __builtin_convertvector((pair2 << 16) >> 16, Double) * bx +
                       __builtin_convertvector(pair2 >> 16, Double) * ax;
    const Double c11 = __builtin_convertvector((pair3 << 16) >> 16, Double) * bx +
                       __builtin_convertvector(pair3 >> 16, Double) * ax;
    Double value = (c00 * (one - ay) + c10 * ay) * (one - az) + (c01 * (one - ay) + c11 * ay) * az;
    const HalfInt whole = __builtin_convertvector(value, HalfInt) & inside;
    for (int i = 0; i < kDoubleLanes; ++i) out[x + i] = static_cast<std::int16_t>(whole[i]);
  }
  for (; x < n; ++x) {
    const double X0 = x * M[0] + fy * M[4] + fz * M[8] + M[12];
    const double Y0 = x * M[1] + fy * M[5] + fz * M[9] + M[13];
    const double Z0 = x * M[2] + fy * M[6] + fz * M[10] + M[14];
    const double w = affine ? 1.0 : x * M[3] + fy * M[7] + fz * M[11] + M[15];
    const double X = X0 / w, Y = Y0 / w, Z = Z0 / w;
    out[x] = 0;
    if (!(std::isfinite(X) && std::isfinite(Y) && std::isfinite(Z))) continue;
    const double tx = std::trunc(X), ty = std::trunc(Y), tz = std::trunc(Z);
    if (!(tx > 0 && tx < columns - 2 && ty > 0 && ty < rows - 2 && tz > 0 && tz < slices - 2)) continue;
    const std::int16_t* v = voxels + (static_cast<std::size_t>(tz) * static_cast<std::size_t>(rows) +
                                      static_cast<std::size_t>(ty)) * C + static_cast<std::size_t>(tx);
    const double ax = X - tx, ay = Y - ty, az = Z - tz;
    const double c00 = v[0] * (1 - ax) + v[1] * ax;
    const double c10 = v[C] * (1 - ax) + v[C + 1] * ax;
    const double c01 = v[plane] * (1 - ax) + v[plane + 1] * ax;
    const double c11 = v[plane + C] * (1 - ax) + v[plane + C + 1] * ax;
    const double value = (c00 * (1 - ay) + c10 * ay) * (1 - az) + (c01 * (1 - ay) + c11 * ay) * az;
    out[x] = static_cast<std::int16_t>(static_cast<std::int32_t>(value));
  }
}
