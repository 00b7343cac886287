// CException and the rule that Delete() frees only what operator new made.
#include <afx.h>

#include <algorithm>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(CException, CObject)

namespace {

// Blocks that operator new handed out on this thread and no constructor has
// claimed yet (more than one while a new-expression's arguments make another).
thread_local std::vector<void*> g_unclaimed;

bool Claim(void* p) {
  auto it = std::find(g_unclaimed.begin(), g_unclaimed.end(), p);
  if (it == g_unclaimed.end()) return false;
  g_unclaimed.erase(it);
  return true;
}

}  // namespace

void* CException::operator new(std::size_t size) {
  void* p = ::operator new(size);
  try {
    g_unclaimed.push_back(p);
  } catch (...) {
    ::operator delete(p);
    throw;
  }
  return p;
}

void CException::operator delete(void* p) noexcept {
  Claim(p);  // a constructor that threw never claimed its block
  ::operator delete(p);
}

CException::CException() : m_bAutoDelete(Claim(this)) {}

CException::~CException() = default;

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}
