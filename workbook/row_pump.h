#pragma once
// Rows that a streaming XML handler has completed, handed out one at a time
// while the part is parsed chunk by chunk. Damage found in a chunk is raised
// only after the rows before it have been given out.
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>

#include "workbook/cell.h"
#include "workbook/xml_stream.h"

namespace workbook {

class RowQueue {
 public:
  // A row that stands `repeat` times, at row.index and the rows after it.
  void Push(Row row, std::uint32_t repeat = 1);
  bool empty() const { return entries_.empty(); }
  void Pop(Row& row);

 private:
  struct Entry {
    Row row;
    std::uint32_t left;
  };
  std::deque<Entry> entries_;
};

class RowPump {
 public:
  explicit RowPump(RowQueue& queue) : queue_(queue) {}
  // Starts parsing; reads ahead to the first complete row.
  void Start(std::unique_ptr<XmlStream> stream);
  bool Next(Row& row);

 private:
  void Fill();
  RowQueue& queue_;
  std::unique_ptr<XmlStream> stream_;
  std::exception_ptr error_;
};

}  // namespace workbook
