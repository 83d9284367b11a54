#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>

#include "foundation/tastream.h"

// Singly linked lists of element pointers. Elements belong to the caller
// unless an operation is asked to destroy them.
namespace tsw {

// How a list makes, destroys and streams its elements. Element types that
// come from a pool or have a stream form of their own specialise this.
template <class T> struct TaElementTraits {
  static T *Make() { return new T(); }
  static void Destroy(T *element) { delete element; }
  static bool Write(std::ostream &out, const T &element) { return element.Write(out); }
  static bool Read(std::istream &in, T &element) { return element.Read(in); }
};

template <class T> struct Ta1WayNode {
  Ta1WayNode *next;
  T *element;
};

template <class T> class Ta1L {
public:
  using Node = Ta1WayNode<T>;

  Ta1L() = default;
  Ta1L(const Ta1L &) = delete;
  Ta1L &operator=(const Ta1L &) = delete;
  virtual ~Ta1L() { ReleaseNodes(false); }

  // The list's own way of adding (at the head or at the tail).
  virtual T *Add(T *element) = 0;
  // Removes the first element and gives it; null when empty.
  virtual T *Get() { return Pop(); }
  virtual T *Peek() const { return head_ ? head_->element : nullptr; }

  void Push(T *element) { LinkAfter(nullptr, element); }

  T *Pop() {
    if (!head_)
      return nullptr;
    return UnlinkAfter(nullptr);
  }

  void Clear(bool destroy) { ReleaseNodes(destroy); }

  // Unlinks every element for which pred(element) holds, destroying it when
  // asked; gives the number removed.
  template <class Pred> uint16_t RemoveIf(Pred &&pred, bool destroy) {
    uint16_t removed = 0;
    Node *prev = nullptr;
    Node *node = head_;
    while (node) {
      Node *next = node->next;
      if (pred(node->element)) {
        T *element = UnlinkAfter(prev);
        if (destroy)
          TaElementTraits<T>::Destroy(element);
        ++removed;
      } else {
        prev = node;
      }
      node = next;
    }
    return removed;
  }

  size_t Count() const { return count_; }
  bool Empty() const { return head_ == nullptr; }

  template <class F> void ForEach(F &&fn) const {
    for (Node *node = head_; node; node = node->next)
      fn(node->element);
  }

  // The stream form: a u16 count, then the elements in list order. False
  // when the list is too long for the form or the stream fails.
  bool Write(std::ostream &out) const {
    if (count_ > UINT16_MAX)
      return false;
    TaWriteU16(out, uint16_t(count_));
    for (Node *node = head_; node; node = node->next)
      if (!TaElementTraits<T>::Write(out, *node->element))
        return false;
    return bool(out);
  }

  // Reads elements and hands each to Add, so a stack comes back reversed.
  // False when the stream ends early; what was read whole stays listed.
  bool Read(std::istream &in) {
    uint16_t count = 0;
    if (!TaReadU16(in, count))
      return false;
    for (uint16_t i = 0; i < count; ++i) {
      T *element = TaElementTraits<T>::Make();
      if (!TaElementTraits<T>::Read(in, *element)) {
        TaElementTraits<T>::Destroy(element);
        return false;
      }
      Add(element);
    }
    return true;
  }

protected:
  Node *Head() const { return head_; }
  Node *Tail() const { return tail_; }

  // Links a new node after `prev` (at the head when null).
  void LinkAfter(Node *prev, T *element) {
    Node *node = new Node{prev ? prev->next : head_, element};
    if (prev)
      prev->next = node;
    else
      head_ = node;
    if (!node->next)
      tail_ = node;
    ++count_;
  }

  // Unlinks the node after `prev` (the head when null) and gives its element.
  T *UnlinkAfter(Node *prev) {
    Node *node = prev ? prev->next : head_;
    if (prev)
      prev->next = node->next;
    else
      head_ = node->next;
    if (tail_ == node)
      tail_ = prev;
    T *element = node->element;
    delete node;
    --count_;
    return element;
  }

  void ReleaseNodes(bool destroy) {
    while (head_) {
      T *element = UnlinkAfter(nullptr);
      if (destroy)
        TaElementTraits<T>::Destroy(element);
    }
  }

private:
  Node *head_ = nullptr;
  Node *tail_ = nullptr;
  size_t count_ = 0;
};

// A stack: Add pushes at the head.
template <class T> class Ta1LIFO : public Ta1L<T> {
public:
  T *Add(T *element) override {
    this->Push(element);
    return element;
  }
};

// A queue: Add appends at the tail.
template <class T> class Ta1FIFO : public Ta1L<T> {
public:
  T *Add(T *element) override { return AddTail(element); }
  T *AddTail(T *element) {
    this->LinkAfter(this->Tail(), element);
    return element;
  }
  T *PeekTail() const { return this->Tail() ? this->Tail()->element : nullptr; }
};

} // namespace tsw
