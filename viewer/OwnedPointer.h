// The document's owned pointers: each is cleared before its replacement is made, so
// a constructor that throws leaves it null instead of naming a deleted object.
#pragma once

template <class T>
void Discard(T*& pObject) {
  delete pObject;
  pObject = nullptr;
}

template <class T>
void Renew(T*& pObject) {
  Discard(pObject);
  pObject = new T;
}
