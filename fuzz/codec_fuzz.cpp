// Encoder side of the codec and its bounded tag routines. The first octet
// picks a primitive, the second the room the cursor gets; the rest is the
// value. Whatever the value and the room, an encoder either fails without
// writing past the room or writes one element that measures, skips and
// decodes back to the value. The output buffer is exactly the room, so a
// write past it is caught by the address sanitizer.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bacnet/asn_primitive.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

template <typename T>
T Take(const uint8_t*& p, size_t& n) {
  T v{};
  size_t k = n < sizeof v ? n : sizeof v;
  std::memcpy(&v, p, k);
  p += k;
  n -= k;
  return v;
}

// Both bounded walks must stay within [p, p + n) for any octets.
void Walks(const uint8_t* data, size_t n) {
  std::vector<uint8_t> copy(data, data + n);
  const uint8_t* p = copy.data();
  int32_t skipped = AsnTagSkipElement(p, p + n);
  Require(skipped == -1 || (skipped > 0 && size_t(skipped) <= n));
  if (skipped > 0 && !AsnIsOpeningTag(p[0])) Require(AsnTagElementLength(p) == uint32_t(skipped));
  AsnCursor c = AsnCursorOverConst(p, uint32_t(n));
  int32_t code = AsnCharStringDatatype(&c);
  Require(code == -1 || code == 7 || (code >= 13 && code <= 18));
}

// Checks one encoded element and decodes it with the decoder given.
void Written(const uint8_t* out, size_t written) {
  Require(written > 0);
  Require(AsnTagElementLength(out) == written);
  Require(AsnTagSkipElement(out, out + written) == int32_t(written));
}

template <typename T, typename Decode>
T DecodeBack(const uint8_t* out, size_t written, Decode decode) {
  AsnCursor c = AsnCursorOverConst(out, uint32_t(written));
  T v{};
  decode(&c, &v);
  Require(c.current == out + written);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint8_t kind = data[0] % 10;
  uint32_t room = data[1];
  const uint8_t* p = data + 2;
  size_t n = size - 2;
  Walks(p, n);

  std::vector<uint8_t> buf(room);
  uint8_t* out = buf.data();
  AsnCursor c{out, out + room};
  int32_t status = 0;
  switch (kind) {
    case 0: {
      auto v = Take<uint32_t>(p, n);
      status = AsnEncodeUnsigned(&v, &c);
      if (status == 0) {
        Written(out, size_t(c.current - out));
        Require(DecodeBack<uint32_t>(out, size_t(c.current - out), AsnDecodeUnsigned) == v);
      }
      break;
    }
    case 1: {
      auto v = Take<int32_t>(p, n);
      status = AsnEncodeSigned(&v, &c);
      if (status == 0)
        Require(DecodeBack<int32_t>(out, size_t(c.current - out), AsnDecodeSigned) == v);
      break;
    }
    case 2: {
      auto v = Take<double>(p, n);
      status = AsnEncodeDouble(&v, &c);
      if (status == 0) {
        double back = DecodeBack<double>(out, size_t(c.current - out), AsnDecodeDouble);
        Require(std::isnan(v) ? std::isnan(back) : std::memcmp(&back, &v, sizeof v) == 0);
      }
      break;
    }
    case 3: {
      auto v = Take<VelmoraDate>(p, n);
      status = AsnEncodeDate(&v, &c);
      if (status == 0) {
        auto back = DecodeBack<VelmoraDate>(out, size_t(c.current - out), AsnDecodeDate);
        Require(back.year == v.year && back.month == v.month && back.day == v.day &&
                back.day_of_week == v.day_of_week);
      }
      break;
    }
    case 4: {
      auto v = Take<VelmoraWeekNDay>(p, n);
      status = AsnEncodeWeekNDay(&v, &c);
      if (status == 0) {
        auto back = DecodeBack<VelmoraWeekNDay>(out, size_t(c.current - out), AsnDecodeWeekNDay);
        Require(back.month == v.month && back.week_of_month == v.week_of_month &&
                back.day_of_week == v.day_of_week);
      }
      break;
    }
    case 5: {
      auto v = Take<VelmoraBitString>(p, n);
      status = AsnEncodeBitString(&v, &c);
      if (status == 0) {
        auto back = DecodeBack<VelmoraBitString>(out, size_t(c.current - out), AsnDecodeBitString);
        Require(back.count == v.count);
        for (uint32_t i = 0; i < v.count; ++i)
          Require(VelmoraBitStringGetBit(&back, i) == VelmoraBitStringGetBit(&v, i));
      }
      break;
    }
    case 6: {
      auto v = Take<VelmoraObjectId>(p, n);
      status = AsnEncodeObjectId(&v, &c);
      if (status == 0) {
        auto back = DecodeBack<VelmoraObjectId>(out, size_t(c.current - out), AsnDecodeObjectId);
        Require(back.type == v.type && back.instance == v.instance);
      }
      break;
    }
    case 7:
    case 8: {
      // A record over the rest: set and length from the input, text
      // terminated so that a measured length stays inside.
      uint8_t charset = Take<uint8_t>(p, n) % 8;
      int32_t length = int32_t(Take<uint16_t>(p, n) % 512) - 1;
      std::vector<uint8_t> text(p, p + n);
      text.resize(n + 8, 0);  // an aligned zero unit of any size
      if (length > int32_t(n)) length = int32_t(n);
      VelmoraCharString v{reinterpret_cast<const char*>(text.data()), length, 932, charset};
      status = AsnEncodeCharString(&v, &c);
      if (status != 0) break;
      size_t written = size_t(c.current - out);
      Written(out, written);
      std::vector<uint8_t> block(AsnDecodedSizeCharString(out, uint32_t(written)));
      uint8_t* arena = block.data() + block.size();
      VelmoraCharString back{};
      AsnCursor d = AsnCursorOverConst(out, uint32_t(written));
      AsnDecodeCharString(&d, &back, &arena);
      Require(d.current == out + written && arena == block.data() + sizeof back);
      Require(back.charset == charset);
      Require(std::memcmp(back.text, text.data(), size_t(back.length)) == 0);
      if (length >= 0) Require(back.length == length);
      break;
    }
    default: {
      // A packed text source over exactly the rest: the search for
      // its terminator must stay within it.
      uint8_t charset = Take<uint8_t>(p, n) % 6;
      if (charset == VELMORA_CHARSET_DBCS) charset = VELMORA_CHARSET_ANSI;
      std::vector<uint8_t> packed(p, p + n);
      AsnTextSource src{packed.data(), uint32_t(packed.size())};
      int32_t expect = AsnCharStringElementLength(charset, &src);
      status = AsnEncodeCharsetText(charset, &src, &c);
      if (status == 0) {
        Require(expect == int32_t(c.current - out));
        Written(out, size_t(c.current - out));
        AsnCursor one = AsnCursorOverConst(out, uint32_t(c.current - out));
        int32_t code = AsnCharStringDatatype(&one);
        Require(code == 13 + charset);
      } else {
        Require(status == ASN_NO_ROOM || (status == ASN_BAD_BUFFER && expect == -1));
      }
      break;
    }
  }
  Require(c.current >= out && c.current <= out + room);
  return 0;
}
