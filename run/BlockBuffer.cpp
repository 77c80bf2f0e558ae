#include "BlockBuffer.h"

#include <algorithm>
#include <new>

namespace korvel {

namespace {

constexpr std::align_val_t kPageAlignment{4096};

}  // namespace

BlockBuffer::BlockBuffer(std::size_t size)
    : size_(std::max<std::size_t>(size, 1)),
      data_(static_cast<std::uint8_t*>(::operator new(size_, kPageAlignment))) {}

BlockBuffer::~BlockBuffer() { ::operator delete(data_, kPageAlignment); }

}  // namespace korvel
