#pragma once
// An array of doubles for the transform engine's tables and work: its first value lies a fixed
// number of cache lines past a page boundary, whatever the allocator did before. The time of a
// transform depends on where its streams fall in the caches against each other; with every
// array placed alike, it no longer depends on which lengths a process transformed first (the
// allocator would otherwise place a large array on a fresh page after some histories and at any
// 16 bytes of the heap after others).

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

namespace pravella::fft {

class PageArray {
 public:
  static constexpr std::size_t kPage = 4096;
  static constexpr std::size_t kLine = 64;

  PageArray() = default;

  // n values, each `value`, starting `lines` cache lines past a page boundary; throws
  // std::bad_alloc when memory is short (the old values are then kept).
  void assign(std::size_t n, double value, std::size_t lines = 0) {
    reserve(n, lines);
    for (std::size_t k = 0; k < n; ++k) data_[k] = value;
    size_ = n;
  }

  // Room for n values at that place, the values left unset; keeps the array (and its values)
  // when it is large enough and placed so already.
  void reserve(std::size_t n, std::size_t lines = 0) {
    if (base_ && n <= capacity_ && lines == lines_) {
      size_ = n;
      return;
    }
    const std::size_t bytes = n * sizeof(double) + lines * kLine;
    void* p = std::aligned_alloc(kPage, (bytes + kPage - 1) / kPage * kPage + kPage);
    if (!p) throw std::bad_alloc();
    base_.reset(static_cast<char*>(p));
    data_ = reinterpret_cast<double*>(base_.get() + lines * kLine);
    capacity_ = n;
    size_ = n;
    lines_ = lines;
  }

  void clear() {
    base_.reset();
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

  double* data() { return data_; }
  const double* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  double& operator[](std::size_t k) { return data_[k]; }
  const double& operator[](std::size_t k) const { return data_[k]; }

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  std::unique_ptr<char, Free> base_;
  double* data_ = nullptr;
  std::size_t size_ = 0, capacity_ = 0, lines_ = 0;
};

}  // namespace pravella::fft
