#include "image/Buffer.h"

#include <cstdlib>
#include <cstring>
#include <limits>

CBuffer::~CBuffer() { Clear(); }

bool CBuffer::Append(const std::uint8_t* source) {
  if (source == nullptr) return false;
  if (m_nSize > std::numeric_limits<std::uint32_t>::max() - kBlockSize) return false;
  void* grown = std::realloc(m_pData, m_nSize + kBlockSize);
  if (grown == nullptr) return false;
  m_pData = static_cast<std::uint8_t*>(grown);
  std::memcpy(m_pData + m_nSize, source, kBlockSize);
  m_nSize += kBlockSize;
  return true;
}

void CBuffer::Clear() {
  std::free(m_pData);
  m_pData = nullptr;
  m_nSize = 0;
}
