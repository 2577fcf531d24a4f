#include "workbook/row_pump.h"

#include <utility>

namespace workbook {

void RowQueue::Push(Row row, std::uint32_t repeat) {
  if (repeat > 0) entries_.push_back({std::move(row), repeat});
}

void RowQueue::Pop(Row& row) {
  Entry& front = entries_.front();
  if (--front.left == 0) {
    row = std::move(front.row);
    entries_.pop_front();
  } else {
    row = front.row;
    ++front.row.index;
  }
}

void RowPump::Start(std::unique_ptr<XmlStream> stream) {
  stream_ = std::move(stream);
  Fill();
}

bool RowPump::Next(Row& row) {
  Fill();
  if (queue_.empty()) {
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    return false;
  }
  queue_.Pop(row);
  return true;
}

void RowPump::Fill() {
  try {
    while (queue_.empty() && !error_ && stream_->Pump()) {
    }
  } catch (...) {
    error_ = std::current_exception();
  }
}

}  // namespace workbook
