#pragma once
// Checked element access for the program's vectors and lists.
//
// An index out of range never reads or writes outside the container: the fault
// is written to the report log as "err V[%d] ( %d , %d )" (index, element
// count, element size), a close request is made, and the caller gets a usable
// element so that the current frame can finish before the program closes
// along its normal path.

#include <cstddef>
#include <list>
#include <vector>

#include "app/base/element_sizes.h"

// Writes the report line for a bad index and makes the close request.
// cKind is 'V' for vectors and 'L' for lists.
void ReportBadIndex(char cKind, int nIndex, size_t nCount, int nElementSize);

template <class T>
class cCheckedVector : public std::vector<T> {
 public:
  using std::vector<T>::vector;

  T& At(int nIndex) {
    if (nIndex >= 0 && static_cast<size_t>(nIndex) < this->size()) [[likely]]
      return (*this)[static_cast<size_t>(nIndex)];
    return OutOfRange(nIndex);
  }
  const T& At(int nIndex) const { return const_cast<cCheckedVector*>(this)->At(nIndex); }

  void Fill(const T& value) {
    for (int i = 0; static_cast<size_t>(i) < this->size(); ++i) At(i) = value;
  }

  int CountValue(const T& value) const {
    int nCount = 0;
    for (int i = 0; static_cast<size_t>(i) < this->size(); ++i)
      if (At(i) == value) ++nCount;
    return nCount;
  }

  // Removes every element equal to value, keeping the order of the rest.
  bool RemoveValue(const T& value) {
    const size_t nBefore = this->size();
    std::erase(static_cast<std::vector<T>&>(*this), value);
    return this->size() != nBefore;
  }

 private:
  T& OutOfRange(int nIndex) {
    ReportBadIndex('V', nIndex, this->size(), ReportedElementSize<T>::value);
    if (!this->empty()) return this->front();
    // An empty vector has no element to hand out: give a fresh default element
    // instead of throwing, so the frame can still finish.
    static T dummy;
    dummy = T();
    return dummy;
  }
};

template <class T>
class cCheckedList : public std::list<T> {
 public:
  using std::list<T>::list;

  T& At(int nIndex) {
    if (nIndex >= 0 && static_cast<size_t>(nIndex) < this->size()) {
      auto it = this->begin();
      for (int i = 0; i < nIndex; ++i) ++it;
      return *it;
    }
    ReportBadIndex('L', nIndex, this->size(), ReportedElementSize<T>::value);
    // One dummy per element type, shared by all lists of it; what a caller
    // writes into it stays there.
    static T dummy{};
    return dummy;
  }
  const T& At(int nIndex) const { return const_cast<cCheckedList*>(this)->At(nIndex); }
};

// A pattern or an event list held in a vector reports the 16 bytes of the
// program's vector header.
template <class U>
struct ReportedElementSize<cCheckedVector<U>> : std::integral_constant<int, 16> {};
