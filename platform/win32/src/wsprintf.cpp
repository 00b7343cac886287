// wsprintfA: user32's small printf. It knows %c %d %i %u %s %x %X and %% with the
// flags '-', '0' and '#', a width, a precision and the size prefixes 'l' and 'h';
// 'l' means 32 bits, as long is on Windows. There is no floating point and no '*'.
// Like the real one it stops at 1024 characters: it never writes more than 1025
// bytes, terminator included. An unknown conversion prints its letter.
#include <windows.h>

#include <cstdarg>
#include <cstddef>

namespace {

constexpr std::size_t kMaxChars = 1024;

class Output {
 public:
  explicit Output(char* buffer) : m_buffer(buffer) {}
  void Put(char c) {
    if (m_length < kMaxChars) m_buffer[m_length++] = c;
  }
  void Repeat(char c, int count) {
    for (int i = 0; i < count && m_length < kMaxChars; ++i) Put(c);
  }
  int Finish() {
    m_buffer[m_length] = '\0';
    return static_cast<int>(m_length);
  }

 private:
  char* m_buffer;
  std::size_t m_length = 0;
};

struct Conversion {
  bool left = false;
  bool zero = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;
  char size = 0;  // 'l', 'h' or 0
};

int ParseNumber(const char*& p) {
  int value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value < static_cast<int>(kMaxChars)) value = value * 10 + (*p - '0');
    ++p;
  }
  return value;
}

void PutText(Output& out, const Conversion& conv, const char* text, int length) {
  int pad = conv.width > length ? conv.width - length : 0;
  if (!conv.left) out.Repeat(' ', pad);
  for (int i = 0; i < length; ++i) out.Put(text[i]);
  if (conv.left) out.Repeat(' ', pad);
}

void PutString(Output& out, const Conversion& conv, const char* text) {
  if (text == nullptr) text = "(null)";
  int length = 0;
  while (text[length] != '\0' && (conv.precision < 0 || length < conv.precision)) {
    if (length >= static_cast<int>(kMaxChars)) break;
    ++length;
  }
  PutText(out, conv, text, length);
}

void PutNumber(Output& out, const Conversion& conv, bool negative, unsigned long long magnitude,
               unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char reversed[32];
  int count = 0;
  do {
    reversed[count++] = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  const char* prefix = negative ? "-" : "";
  if (conv.alternate && base == 16) prefix = upper ? "0X" : "0x";
  int prefixLength = prefix[0] == '\0' ? 0 : (prefix[1] == '\0' ? 1 : 2);
  int precisionZeros = conv.precision > count ? conv.precision - count : 0;
  int body = prefixLength + precisionZeros + count;
  int pad = conv.width > body ? conv.width - body : 0;
  bool zeroPad = conv.zero && !conv.left && conv.precision < 0;
  if (!conv.left && !zeroPad) out.Repeat(' ', pad);
  for (int i = 0; i < prefixLength; ++i) out.Put(prefix[i]);
  if (zeroPad) out.Repeat('0', pad);
  out.Repeat('0', precisionZeros);
  while (count > 0) out.Put(reversed[--count]);
  if (conv.left) out.Repeat(' ', pad);
}

void PutSigned(Output& out, const Conversion& conv, va_list& args) {
  long long value = va_arg(args, int);
  if (conv.size == 'h') value = static_cast<short>(value);
  bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  PutNumber(out, conv, negative, magnitude, 10, false);
}

void PutUnsigned(Output& out, const Conversion& conv, va_list& args, unsigned base, bool upper) {
  unsigned value = va_arg(args, unsigned);
  if (conv.size == 'h') value = static_cast<unsigned short>(value);
  PutNumber(out, conv, false, value, base, upper);
}

}  // namespace

/***********************************************************************
 * wsprintfA
 * Formats into buffer (at most 1025 bytes) and returns the length written without
 * the terminator; 0 for a null buffer.
 */
extern "C" int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  if (buffer == nullptr) return 0;
  Output out(buffer);
  if (format == nullptr) return out.Finish();
  va_list args;
  va_start(args, format);
  for (const char* p = format; *p != '\0';) {
    if (*p != '%') {
      out.Put(*p++);
      continue;
    }
    ++p;
    Conversion conv;
    for (;; ++p) {
      if (*p == '-')
        conv.left = true;
      else if (*p == '0')
        conv.zero = true;
      else if (*p == '#')
        conv.alternate = true;
      else
        break;
    }
    conv.width = ParseNumber(p);
    if (*p == '.') {
      ++p;
      conv.precision = ParseNumber(p);
    }
    if (*p == 'l' || *p == 'h') conv.size = *p++;
    char type = *p;
    if (type == '\0') break;
    ++p;
    switch (type) {
      case 'd':
      case 'i':
        PutSigned(out, conv, args);
        break;
      case 'u':
        PutUnsigned(out, conv, args, 10, false);
        break;
      case 'x':
        PutUnsigned(out, conv, args, 16, false);
        break;
      case 'X':
        PutUnsigned(out, conv, args, 16, true);
        break;
      case 'c': {
        char c = static_cast<char>(va_arg(args, int));
        PutText(out, conv, &c, 1);
        break;
      }
      case 's':
        PutString(out, conv, va_arg(args, const char*));
        break;
      default:  // "%%" and unknown conversions print the letter itself
        out.Put(type);
        break;
    }
  }
  va_end(args);
  return out.Finish();
}
