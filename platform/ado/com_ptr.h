#pragma once
// A counted reference to an object, as COM's smart pointers hold them: a
// call through a null reference raises _com_error with E_POINTER before
// anything is called.
#include <memory>

#include "platform/com_error.h"

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::shared_ptr<T> object) : object_(std::move(object)) {}

  T* operator->() const {
    if (!object_) throw _com_error(E_POINTER);
    return object_.get();
  }
  explicit operator bool() const { return static_cast<bool>(object_); }
  T* get() const { return object_.get(); }
  const std::shared_ptr<T>& shared() const { return object_; }
  void Release() { object_.reset(); }

 private:
  std::shared_ptr<T> object_;
};
