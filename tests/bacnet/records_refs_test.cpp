// Reference records: the list rules, presence handling, the defaults of a
// missing record and what copies share.
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records_refs.h"

namespace {

constexpr VelmoraObjectId kAnalogInput1 = {0, 1};
constexpr VelmoraObjectId kDevice123 = {8, 123};

TEST(RecordsRefs, MissingRecordDefaults) {
  // The array-index getters differ on purpose: -1 where the record is a
  // result or value, 0 where it is a reference.
  const struct {
    const char* name;
    uint32_t got;
    uint32_t expect;
  } cases[] = {
      {"read result property", VelmoraReadResultGetProperty(nullptr), UINT32_MAX},
      {"read result index", VelmoraReadResultGetArrayIndex(nullptr), UINT32_MAX},
      {"read result success", VelmoraReadResultIsSuccess(nullptr), 0},
      {"read result class", VelmoraReadResultGetErrorClass(nullptr), UINT32_MAX},
      {"read result code", VelmoraReadResultGetErrorCode(nullptr), UINT32_MAX},
      {"read access count", VelmoraReadAccessResultGetCount(nullptr), UINT32_MAX},
      {"obj prop ref property", VelmoraObjPropRefGetProperty(nullptr), UINT32_MAX},
      {"obj prop ref index", VelmoraObjPropRefGetArrayIndex(nullptr), 0},
      {"dev obj prop ref property", VelmoraDevObjPropRefGetProperty(nullptr), UINT32_MAX},
      {"dev obj prop ref index", VelmoraDevObjPropRefGetArrayIndex(nullptr), 0},
      {"dev obj prop ref device", VelmoraDevObjPropRefHasDevice(nullptr), 0},
      {"dev obj ref device", VelmoraDevObjRefHasDevice(nullptr), 0},
      {"prop ref property", VelmoraPropRefGetProperty(nullptr), UINT32_MAX},
      {"prop ref index", VelmoraPropRefGetArrayIndex(nullptr), 0},
      {"property value property", VelmoraPropertyValueGetProperty(nullptr), UINT32_MAX},
      {"property value index", VelmoraPropertyValueGetArrayIndex(nullptr), UINT32_MAX},
      {"property value priority", VelmoraPropertyValueGetPriority(nullptr), 0},
      {"dev obj prop value property", VelmoraDevObjPropValueGetProperty(nullptr), 0},
      {"dev obj prop value index", VelmoraDevObjPropValueGetArrayIndex(nullptr), 0},
      {"spec count", VelmoraReadAccessSpecGetCount(nullptr), UINT32_MAX},
      {"spec property id", VelmoraReadAccessSpecGetPropertyId(nullptr, 0), UINT32_MAX},
      {"spec property index", VelmoraReadAccessSpecGetPropertyIndex(nullptr, 0), UINT32_MAX},
      {"recipient choice", VelmoraRecipientGetChoice(nullptr), UINT32_MAX},
      {"recipient process id", VelmoraRecipientProcessGetProcessId(nullptr), UINT32_MAX},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.got, c.expect) << c.name;
  EXPECT_TRUE(VelmoraSetpointRefIsEmpty(nullptr));
  EXPECT_FALSE(VelmoraReadAccessResultHasResults(nullptr));
  EXPECT_EQ(VelmoraReadResultGetValue(static_cast<VelmoraReadResult*>(nullptr)), nullptr);
  EXPECT_EQ(VelmoraRecipientGetAddress(static_cast<VelmoraRecipient*>(nullptr)), nullptr);
  EXPECT_EQ(VelmoraReadAccessResultGetResult(nullptr, 0), nullptr);
}

TEST(RecordsRefs, ReadResultFlagTellsWhichHalfIsLive) {
  uint8_t buffer[16];
  VelmoraReadResult r;
  std::memset(&r, 0x5A, sizeof r);
  ASSERT_TRUE(VelmoraReadResultInitBuffer(&r, buffer, sizeof buffer));
  EXPECT_EQ(VelmoraReadResultGetProperty(&r), UINT32_MAX);
  EXPECT_EQ(VelmoraReadResultGetArrayIndex(&r), VELMORA_NO_INDEX);
  EXPECT_EQ(VelmoraReadResultIsSuccess(&r), 1);
  const VelmoraAnyValue* v = VelmoraReadResultGetValue(&r);
  EXPECT_EQ(v->type, -1);
  EXPECT_EQ(v->buffer, buffer);
  EXPECT_EQ(v->capacity, sizeof buffer);
  EXPECT_EQ(v->count, 0u);
  EXPECT_EQ(r.error.error_class, 0x5A5A5A5Au);  // left as it was

  ASSERT_TRUE(VelmoraReadResultSetError(&r, 2, 32));
  EXPECT_EQ(VelmoraReadResultIsSuccess(&r), 0);
  VelmoraAnyValue real;
  float f = 1.5f;
  ASSERT_TRUE(VelmoraAnyValueInitCount(&real, 4, &f, sizeof f, 1));
  EXPECT_FALSE(VelmoraReadResultSetValue(&r, nullptr));
  EXPECT_EQ(VelmoraReadResultIsSuccess(&r), 0);  // a refused call writes nothing
  ASSERT_TRUE(VelmoraReadResultSetValue(&r, &real));
  EXPECT_EQ(VelmoraReadResultIsSuccess(&r), 1);
  EXPECT_EQ(VelmoraReadResultGetValue(&r)->buffer, &f);
  EXPECT_EQ(VelmoraReadResultGetErrorClass(&r), 2u);
  EXPECT_EQ(VelmoraReadResultGetErrorCode(&r), 32u);
}

TEST(RecordsRefs, ListRules) {
  VelmoraReadAccessResult rar;
  ASSERT_TRUE(VelmoraReadAccessResultInit(&rar));
  EXPECT_EQ(rar.object_id.type, UINT32_MAX);
  EXPECT_EQ(rar.object_id.instance, UINT32_MAX);
  EXPECT_FALSE(VelmoraObjectIdInit(&rar.object_id, 0, UINT32_MAX));
  EXPECT_FALSE(VelmoraReadAccessResultHasResults(&rar));
  VelmoraReadResult results[3];
  EXPECT_TRUE(VelmoraReadAccessResultSetResults(&rar, nullptr, 0));  // count-needs-array
  EXPECT_FALSE(VelmoraReadAccessResultSetResults(&rar, nullptr, 1));
  EXPECT_FALSE(VelmoraReadAccessResultHasResults(&rar));
  ASSERT_TRUE(VelmoraReadAccessResultSetResults(&rar, results, 3));
  EXPECT_TRUE(VelmoraReadAccessResultHasResults(&rar));
  EXPECT_EQ(VelmoraReadAccessResultGetResult(&rar, 2), &results[2]);
  VelmoraReadAccessResult copy;
  ASSERT_TRUE(VelmoraReadAccessResultCopy(&copy, &rar));
  EXPECT_EQ(copy.results, results);  // shared, not duplicated

  VelmoraPropRef refs[2];
  ASSERT_TRUE(VelmoraPropRefInit(&refs[0], 85));
  ASSERT_TRUE(VelmoraPropRefInit(&refs[1], 87));
  ASSERT_TRUE(VelmoraPropRefSetArrayIndex(&refs[1], 16));
  VelmoraReadAccessSpec spec;
  EXPECT_FALSE(VelmoraReadAccessSpecInit(&spec, nullptr, refs, 2));
  EXPECT_FALSE(VelmoraReadAccessSpecInit(&spec, &kAnalogInput1, nullptr, 2));
  ASSERT_TRUE(VelmoraReadAccessSpecInit(&spec, &kAnalogInput1, nullptr, 0));
  EXPECT_FALSE(VelmoraReadAccessSpecSetProperties(&spec, nullptr, 0));  // array-required
  ASSERT_TRUE(VelmoraReadAccessSpecSetProperties(&spec, refs, 2));
  EXPECT_EQ(VelmoraReadAccessSpecGetCount(&spec), 2u);
  EXPECT_EQ(VelmoraReadAccessSpecGetPropertyId(&spec, 1), 87u);
  EXPECT_EQ(VelmoraReadAccessSpecGetPropertyIndex(&spec, 0), VELMORA_NO_INDEX);
  EXPECT_EQ(VelmoraReadAccessSpecGetPropertyIndex(&spec, 1), 16u);
}

TEST(RecordsRefs, DevicePresence) {
  VelmoraDevObjPropRef r;
  std::memset(&r, 0xFF, sizeof r);
  EXPECT_FALSE(VelmoraDevObjPropRefInit(&r, nullptr, 85));
  ASSERT_TRUE(VelmoraDevObjPropRefInit(&r, &kAnalogInput1, 85));
  EXPECT_EQ(VelmoraDevObjPropRefGetArrayIndex(&r), VELMORA_NO_INDEX);
  EXPECT_EQ(VelmoraDevObjPropRefHasDevice(&r), 0);
  EXPECT_EQ(VelmoraDevObjPropRefGetDevice(&r), nullptr);
  EXPECT_FALSE(VelmoraDevObjPropRefSetDevice(&r, nullptr));
  EXPECT_EQ(VelmoraDevObjPropRefGetDevice(&r), nullptr);
  ASSERT_TRUE(VelmoraDevObjPropRefSetDevice(&r, &kDevice123));
  ASSERT_NE(VelmoraDevObjPropRefGetDevice(&r), nullptr);
  EXPECT_EQ(VelmoraDevObjPropRefGetDevice(&r)->instance, 123u);

  VelmoraDevObjRef d;
  ASSERT_TRUE(VelmoraDevObjRefInit(&d, &kAnalogInput1));
  EXPECT_EQ(VelmoraDevObjRefGetDevice(&d), nullptr);
  ASSERT_TRUE(VelmoraDevObjRefSetDevice(&d, &kDevice123));
  EXPECT_EQ(VelmoraDevObjRefHasDevice(&d), 1);
  EXPECT_EQ(VelmoraDevObjRefGetDevice(&d), &d.device_id);

  VelmoraSetpointRef s;
  ASSERT_TRUE(VelmoraSetpointRefInit(&s));
  EXPECT_TRUE(VelmoraSetpointRefIsEmpty(&s));
  EXPECT_EQ(VelmoraSetpointRefGet(&s), nullptr);
  VelmoraObjPropRef ref;
  ASSERT_TRUE(VelmoraObjPropRefInit(&ref, &kAnalogInput1, 85));
  EXPECT_FALSE(VelmoraSetpointRefSet(&s, nullptr));
  EXPECT_TRUE(VelmoraSetpointRefIsEmpty(&s));
  ASSERT_TRUE(VelmoraSetpointRefSet(&s, &ref));
  EXPECT_FALSE(VelmoraSetpointRefIsEmpty(&s));
  EXPECT_EQ(VelmoraSetpointRefGet(&s)->property, 85u);
}

TEST(RecordsRefs, PropertyValueDefaultsAndSharedBuffer) {
  float f = 2.0f;
  VelmoraAnyValue real;
  ASSERT_TRUE(VelmoraAnyValueInitCount(&real, 4, &f, sizeof f, 1));
  VelmoraPropertyValue pv;
  EXPECT_FALSE(VelmoraPropertyValueInit(&pv, 85, nullptr));
  ASSERT_TRUE(VelmoraPropertyValueInit(&pv, 85, &real));
  EXPECT_EQ(VelmoraPropertyValueGetArrayIndex(&pv), VELMORA_NO_INDEX);
  EXPECT_EQ(VelmoraPropertyValueGetPriority(&pv), VELMORA_NO_PRIORITY);
  ASSERT_TRUE(VelmoraPropertyValueSetPriority(&pv, 17));  // the encoder checks it
  EXPECT_EQ(VelmoraPropertyValueGetPriority(&pv), 17u);
  VelmoraPropertyValue copy;
  ASSERT_TRUE(VelmoraPropertyValueCopy(&copy, &pv));
  EXPECT_EQ(VelmoraPropertyValueGetValue(&copy)->buffer, &f);

  VelmoraDevObjPropValue dv;
  EXPECT_FALSE(VelmoraDevObjPropValueInit(&dv, &kDevice123, nullptr, 85, &real));
  EXPECT_FALSE(VelmoraDevObjPropValueInit(&dv, nullptr, &kAnalogInput1, 85, &real));
  EXPECT_FALSE(VelmoraDevObjPropValueInit(&dv, &kDevice123, &kAnalogInput1, 85, nullptr));
  ASSERT_TRUE(VelmoraDevObjPropValueInit(&dv, &kDevice123, &kAnalogInput1, 85, &real));
  EXPECT_EQ(VelmoraDevObjPropValueGetArrayIndex(&dv), VELMORA_NO_INDEX);
  EXPECT_EQ(VelmoraDevObjPropValueGetDevice(&dv)->instance, 123u);
  EXPECT_EQ(VelmoraDevObjPropValueGetValue(&dv)->buffer, &f);
}

TEST(RecordsRefs, RecipientAlternativesShareTheirPlace) {
  const uint8_t mac[6] = {0x7F, 0, 0, 1, 0xBA, 0xC0};
  VelmoraAddress address;
  ASSERT_TRUE(VelmoraAddressInitLocal(&address, mac, 6));
  VelmoraRecipient r;
  ASSERT_TRUE(VelmoraRecipientSetAddress(&r, &address));
  EXPECT_EQ(VelmoraRecipientGetChoice(&r), VELMORA_RECIPIENT_ADDRESS);
  // The device getter does not check the choice: it sees the address bytes.
  const void* device = VelmoraRecipientGetDevice(&r);
  EXPECT_EQ(device, static_cast<const void*>(VelmoraRecipientGetAddress(&r)));
  EXPECT_EQ(std::memcmp(device, &address, sizeof(VelmoraObjectId)), 0);
  ASSERT_TRUE(VelmoraRecipientSetDevice(&r, &kDevice123));
  EXPECT_EQ(VelmoraRecipientGetChoice(&r), VELMORA_RECIPIENT_DEVICE);
  EXPECT_EQ(VelmoraRecipientGetDevice(&r)->instance, 123u);

  VelmoraRecipientProcess p;
  EXPECT_FALSE(VelmoraRecipientProcessInit(&p, nullptr, 7));
  ASSERT_TRUE(VelmoraRecipientProcessInit(&p, &r, 7));
  EXPECT_EQ(VelmoraRecipientProcessGetProcessId(&p), 7u);
  EXPECT_EQ(VelmoraRecipientProcessGetRecipient(&p)->device.instance, 123u);

  VelmoraAddressBinding b;
  EXPECT_FALSE(VelmoraAddressBindingInit(&b, &kDevice123, nullptr));
  ASSERT_TRUE(VelmoraAddressBindingInit(&b, &kDevice123, &address));
  EXPECT_EQ(VelmoraAddressBindingGetAddress(&b)->mac_length, 6);
}

}  // namespace
