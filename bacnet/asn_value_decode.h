// Turns the encoded octets of one property value into a VelmoraAnyValue:
// typed by the property's schema, by its application tags, or kept raw.
//
// A value decoded into its own buffer, an allocator's block or a budget
// takes exactly its decoded size, the records and their variable parts.
// Values without a property context live side by side in the arena of the
// record that holds them, so each of their blocks is a whole number of
// ASN_BLOCK_ALIGN bytes: from an aligned arena end, the next block carved
// below stays aligned for its records. The sizes and the decoders agree
// exactly, and no carve reaches below the size measured for it, wherever
// the arena ends.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_property.h"

inline constexpr uint32_t ASN_BLOCK_ALIGN = 8;
static_assert(alignof(void*) <= ASN_BLOCK_ALIGN && alignof(double) <= ASN_BLOCK_ALIGN);
constexpr uint32_t AsnBlockSize(uint32_t bytes) {
  return (bytes + ASN_BLOCK_ALIGN - 1) & ~(ASN_BLOCK_ALIGN - 1);
}

// Classification outcomes.
inline constexpr int32_t ASN_TYPED_BY_SCHEMA = 0;
inline constexpr int32_t ASN_TYPED_BY_TAGS = 1;
inline constexpr int32_t ASN_KEPT_RAW = 2;

// A per-property check: the whole value, or one element at a time.
using AsnPropertyChecker = int (*)(AsnPropertyCheck* check, int32_t* datatype);
int AsnCheckPropertyElements(AsnPropertyCheck* check, int32_t* datatype);

// Value length of the primitive at p; its header length to *header, 0 when
// the header does not lie within available.
uint32_t AsnPrimitiveLengths(const uint8_t* p, uint32_t available, uint32_t* header);
// Total length of one valid application-tagged element lying wholly within
// available, or -1.
int32_t AsnValidatePrimitive(const uint8_t* p, uint32_t available);
// Datatype code of the elements (count to *count), or -3.
int32_t AsnClassifyValue(const uint8_t* data, uint32_t length, uint32_t* count);
int32_t AsnRawDatatype(uint32_t objectType, uint32_t property);
int32_t AsnClassifyPropertyValue(const uint8_t* data, uint32_t length, AsnPropertyChecker check,
                                 uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                 int32_t* datatype, uint32_t* count);

// Exact bytes of count decoded elements (no block rounding).
uint32_t AsnDecodedSizeElements(const uint8_t* data, uint32_t length, const AsnDatatype* row,
                                uint32_t count);
// Decodes value->count elements into value's buffer; variable parts are
// carved from the buffer's end when carve is set. Answers the bytes used.
uint32_t AsnDecodeElements(const uint8_t* data, uint32_t length, VelmoraAnyValue* value, bool carve,
                           const AsnDatatype* row);

// Without a property context; storage is carved from *arenaEnd, in whole
// alignment blocks.
uint32_t AsnDecodedSizeAnyValue(const uint8_t* data, uint32_t length);
void AsnDecodeAnyValue(const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                       uint8_t** arenaEnd);

uint32_t AsnDecodedSizeTypedValue(const uint8_t* data, uint32_t length, AsnPropertyChecker check,
                                  uint32_t objectType, uint32_t property, int32_t arrayIndex);
int32_t AsnDecodeTypedValue(VelmoraAnyValue* value, VelmoraAllocator* allocator,
                            AsnPropertyChecker check, uint32_t objectType, uint32_t property,
                            int32_t arrayIndex, const uint8_t* data, uint32_t length);

// Whole-value check.
uint32_t AsnDecodedSizeProperty(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                const uint8_t* data, uint32_t length);
int32_t AsnDecodePropertyAlloc(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                               const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                               VelmoraAllocator* allocator);
int32_t AsnDecodePropertyBudget(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                                uint8_t** arenaEnd);
// Element-walk check.
uint32_t AsnDecodedSizePropertyElements(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                        const uint8_t* data, uint32_t length);
int32_t AsnDecodePropertyElementsAlloc(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                       const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                                       VelmoraAllocator* allocator);
int32_t AsnDecodePropertyElementsBudget(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                        const uint8_t* data, uint32_t length,
                                        VelmoraAnyValue* value, uint8_t** arenaEnd);

// An allocator over the top of a caller buffer sized with the functions
// above: each block lowers the arena end by exactly its size. It never
// fails for a non-zero size: the caller sized the budget.
struct AsnBudgetAllocator {
  VelmoraAllocator base;
  uint8_t** arenaEnd;
};
void AsnBudgetAllocatorInit(AsnBudgetAllocator* budget, uint8_t** arenaEnd);
void* AsnBudgetAlloc(VelmoraAllocator* allocator, uint32_t size);
void AsnBudgetFree(VelmoraAllocator* allocator, void* block);
