#pragma once
// CBuffer: a heap block that grows by whole 256-byte blocks; it holds the
// flash info image between an import and a save.
#include <cstdint>

class CBuffer {
 public:
  static constexpr std::uint32_t kBlockSize = 256;

  CBuffer() = default;
  virtual ~CBuffer();
  CBuffer(const CBuffer&) = delete;
  CBuffer& operator=(const CBuffer&) = delete;

  // Appends the kBlockSize bytes at source. False, with the buffer as it
  // was, for a null source or when memory cannot be had.
  bool Append(const std::uint8_t* source);
  void Clear();

  std::uint8_t* m_pData = nullptr;  // null exactly when m_nSize is 0
  std::uint32_t m_nSize = 0;        // always a multiple of kBlockSize
};
