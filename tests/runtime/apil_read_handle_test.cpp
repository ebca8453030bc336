// Object handles and ReadPropertyMultiple by handle. Against the velmorad
// program and a test site: handles found by identifier and by the names a
// read taught, values and errors of several objects in one request, results
// larger than their room, the wildcard device learning who answers, and the
// failures a device answers with. An in-process daemon core shows what is
// refused before anything is sent, answers for objects nobody asked for,
// and names kept only while the device is still at the address the request
// went to.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bacnet/asn_datatype_code.h"
#include "runtime/apil/velmora.h"
#include "runtime/ipc/ipc_frame.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kAll = 8;
constexpr uint32_t kDescription = 28;
constexpr uint32_t kObjectName = 77;
constexpr uint32_t kPresentValue = 85;
constexpr uint32_t kPriorityArray = 87;
constexpr uint32_t kStatusFlags = 111;
constexpr uint32_t kUnknownProperty = 9999;
constexpr uint32_t kWildcard = 0x3FFFFF;
constexpr uint8_t kReadPropertyMultiple = 14;
constexpr VelmoraObjectId kInput{0, 1};
constexpr VelmoraObjectId kValue{2, 2};

// The requests of one ReadPropertyMultiple and their results, each object
// with room for `capacity` elements of 32-byte values (none: no array).
struct Batch {
  std::vector<std::vector<VelmoraPropRef>> refs;
  std::vector<std::vector<VelmoraReadResult>> elements;
  std::vector<std::vector<std::array<uint64_t, 4>>> values;
  std::vector<VelmoraReadMultiHandleRequest> requests;
  std::vector<VelmoraReadMultiHandleResult> results;

  Batch& Add(VelmoraObjectHandle object, std::vector<VelmoraPropRef> r, uint32_t capacity) {
    refs.push_back(std::move(r));
    elements.emplace_back(capacity);
    values.emplace_back(capacity);
    for (uint32_t i = 0; i < capacity; ++i)
      VelmoraReadResultInitBuffer(&elements.back()[i], values.back()[i].data(),
                                  sizeof values.back()[i]);
    VelmoraReadMultiHandleRequest q{};
    EXPECT_TRUE(VelmoraReadMultiHandleRequestInit(&q, object, refs.back().data(),
                                                  uint32_t(refs.back().size())));
    requests.push_back(q);
    VelmoraReadMultiHandleResult result{};
    if (capacity) {
      EXPECT_TRUE(VelmoraReadMultiHandleResultSetBuffer(&result, elements.back().data(), capacity));
    }
    results.push_back(result);
    return *this;
  }
  VelmoraStatus Read(VelmoraDeviceHandle device, VelmoraFailure* failure = nullptr,
                     VelmoraAllocator* allocator = nullptr) {
    return VelmoraReadPropertyMultiple(device, requests.data(), results.data(),
                                       uint32_t(requests.size()), failure, allocator);
  }
  const VelmoraReadResult& At(size_t object, uint32_t i) const {
    return *VelmoraReadMultiHandleResultGetResult(&results[object], i);
  }
  const char* Text(size_t object, uint32_t i) const {
    return static_cast<const char*>(At(object, i).value.buffer);
  }
};

VelmoraPropRef Whole(uint32_t property) { return {property, VELMORA_NO_INDEX}; }

class ApilReadHandleTest : public ApilTest {
 protected:
  void Start() {
    StartProgram(kVelmorad, ReadTestSite(300));
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
  VelmoraObjectHandle Object(VelmoraDeviceHandle device, VelmoraObjectId id) {
    VelmoraObjectHandle object = nullptr;
    EXPECT_EQ(VelmoraCreateObjectImage(device, &id, &object), VELMORA_STATUS_OK);
    return object;
  }
  size_t RunTimeErrors() { return debug_.Count("Velmora run-time error"); }
  // Device 1001 found by Who-Is, with images of its input and its value.
  void Images() {
    device_ = Discover(1001, kSiteOne);
    ASSERT_NE(device_, nullptr);
    self_ = VelmoraGetDeviceObjectHandle(device_);
    input_ = Object(device_, kInput);
    value_ = Object(device_, kValue);
  }

  VelmoraDeviceHandle device_ = nullptr;
  VelmoraObjectHandle self_ = nullptr;
  VelmoraObjectHandle input_ = nullptr;
  VelmoraObjectHandle value_ = nullptr;
};

TEST(ReadMultiHandleRecords, AccessorsFollowTheRecordConventions) {
  VelmoraPropRef refs[2] = {Whole(kPresentValue), {kPriorityArray, 3}};
  auto* object = reinterpret_cast<VelmoraObjectHandle>(refs);  // any address will do
  VelmoraReadMultiHandleRequest r{};
  EXPECT_FALSE(VelmoraReadMultiHandleRequestInit(&r, object, nullptr, 2));
  EXPECT_FALSE(VelmoraReadMultiHandleRequestInit(nullptr, object, refs, 2));
  ASSERT_TRUE(VelmoraReadMultiHandleRequestInit(&r, object, refs, 2));
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetHandle(&r), object);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetCount(&r), 2u);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetRef(&r, 1), &refs[1]);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetRefProperty(&r, 1), kPriorityArray);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetRefArrayIndex(&r, 1), 3u);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetRefArrayIndex(&r, 0), VELMORA_NO_INDEX);
  EXPECT_FALSE(VelmoraReadMultiHandleRequestSetRefs(&r, nullptr, 0));
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetCount(&r), 2u);  // a refused setter writes nothing
  VelmoraReadMultiHandleRequest copy{};
  ASSERT_TRUE(VelmoraReadMultiHandleRequestCopy(&copy, &r));
  EXPECT_EQ(copy.refs, refs);
  ASSERT_TRUE(VelmoraReadMultiHandleRequestSetHandle(&copy, nullptr));
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetHandle(&copy), nullptr);
  // A missing record.
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetHandle(nullptr), nullptr);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetCount(nullptr), UINT32_MAX);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetRef(nullptr, 0), nullptr);
  EXPECT_EQ(VelmoraReadMultiHandleRequestGetRefProperty(nullptr, 0), UINT32_MAX);
  EXPECT_FALSE(VelmoraReadMultiHandleRequestSetHandle(nullptr, object));

  // Room for 2, 5 carried: 2 stored.
  VelmoraReadResult elements[2] = {};
  VelmoraReadMultiHandleResult result{};
  EXPECT_FALSE(VelmoraReadMultiHandleResultSetBuffer(&result, nullptr, 2));
  ASSERT_TRUE(VelmoraReadMultiHandleResultSetBuffer(&result, elements, 2));
  result.count = 5;
  const std::pair<uint32_t, uint32_t> counts[] = {{VELMORA_RESULT_CAPACITY, 2},
                                                  {VELMORA_RESULT_COUNT, 5},
                                                  {VELMORA_RESULT_STORED, 2},
                                                  {3, UINT32_MAX}};
  for (const auto& [kind, expected] : counts) {
    EXPECT_EQ(VelmoraReadMultiHandleResultGetCount(&result, kind), expected) << kind;
    EXPECT_EQ(VelmoraReadMultiHandleResultGetCount(nullptr, kind), UINT32_MAX) << kind;
  }
  EXPECT_EQ(VelmoraReadMultiHandleResultGetResult(&result, 1), &elements[1]);
  EXPECT_EQ(VelmoraReadMultiHandleResultGetResult(nullptr, 1), nullptr);
  ASSERT_TRUE(VelmoraReadMultiHandleResultSetHandle(&result, object));
  EXPECT_EQ(VelmoraReadMultiHandleResultGetHandle(&result), object);
  EXPECT_EQ(VelmoraReadMultiHandleResultGetHandle(nullptr), nullptr);

  // What an allocator gave goes back: each value buffer, then the array.
  CountingAllocator counting;
  VelmoraReadMultiHandleResult taken[2] = {};
  taken[0].object = object;
  taken[0].capacity = taken[0].count = 2;
  taken[0].results = static_cast<VelmoraReadResult*>(
      counting.base.ops->alloc(&counting.base, 2 * sizeof(VelmoraReadResult)));
  std::memset(taken[0].results, 0, 2 * sizeof(VelmoraReadResult));
  taken[0].results[1].value.buffer = counting.base.ops->alloc(&counting.base, 8);
  taken[1].object = object;  // nothing allocated
  EXPECT_FALSE(VelmoraReadMultiHandleResultFreeAll(nullptr, taken, 2));
  EXPECT_FALSE(VelmoraReadMultiHandleResultFreeAll(&counting.base, nullptr, 2));
  ASSERT_TRUE(VelmoraReadMultiHandleResultFreeAll(&counting.base, taken, 2));
  EXPECT_EQ(counting.live, 0);
  for (const VelmoraReadMultiHandleResult& t : taken) {
    EXPECT_EQ(t.object, nullptr);
    EXPECT_EQ(t.results, nullptr);
    EXPECT_EQ(t.capacity, 0u);
    EXPECT_EQ(t.count, 0u);
  }
}

TEST_F(ApilReadHandleTest, HandlesAreFoundByIdentifierAndByTheNamesReadsTaught) {
  TestDeadline deadline(std::chrono::seconds(60));
  uint32_t number = 0;
  EXPECT_EQ(VelmoraObjectIDToHandle(nullptr, &kInput), nullptr);
  EXPECT_FALSE(VelmoraGetObjectType(nullptr, &number));
  Start();
  ASSERT_NO_FATAL_FAILURE(Images());
  EXPECT_EQ(VelmoraGetObjectDeviceHandle(input_), device_);
  EXPECT_EQ(VelmoraGetObjectDeviceHandle(self_), device_);
  const VelmoraObjectId selfId{8, 1001};
  EXPECT_EQ(VelmoraObjectIDToHandle(device_, &selfId), self_);
  EXPECT_EQ(VelmoraObjectIDToHandle(device_, &kValue), value_);
  const struct {
    VelmoraObjectHandle object;
    uint32_t type, instance;
  } ids[] = {{self_, 8, 1001}, {input_, 0, 1}, {value_, 2, 2}};
  for (const auto& id : ids) {
    uint32_t type = 99, instance = 99;
    EXPECT_TRUE(VelmoraGetObjectType(id.object, &type));
    EXPECT_TRUE(VelmoraGetObjectInstNum(id.object, &instance));
    EXPECT_EQ(type, id.type);
    EXPECT_EQ(instance, id.instance);
  }
  EXPECT_FALSE(VelmoraGetObjectType(input_, nullptr));
  EXPECT_FALSE(VelmoraGetObjectInstNum(input_, nullptr));
  // No object has these identifiers: none, and nothing is logged.
  for (const VelmoraObjectId& id :
       {VelmoraObjectId{1024, 1}, VelmoraObjectId{0, 4194304}, VelmoraObjectId{0, 7}})
    EXPECT_EQ(VelmoraObjectIDToHandle(device_, &id), nullptr) << id.type << "," << id.instance;
  EXPECT_EQ(VelmoraObjectIDToHandle(device_, nullptr), nullptr);
  EXPECT_EQ(RunTimeErrors(), 0u);

  // Names are known once a read has brought them.
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Supply"), nullptr);
  Batch names;
  names.Add(input_, {Whole(kObjectName)}, 1)
      .Add(value_, {Whole(kObjectName)}, 1)
      .Add(self_, {Whole(kObjectName)}, 1);
  ASSERT_EQ(names.Read(device_), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Supply"), input_);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Setpoint"), value_);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Local One"), self_);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Supply "), nullptr);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, nullptr), nullptr);
  EXPECT_EQ(RunTimeErrors(), 0u);

  // Handles of images given up.
  ASSERT_TRUE(VelmoraDeleteObjectImage(value_));
  EXPECT_EQ(VelmoraObjectIDToHandle(device_, &kValue), nullptr);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Setpoint"), nullptr);
  EXPECT_EQ(VelmoraGetObjectDeviceHandle(value_), nullptr);
  EXPECT_FALSE(VelmoraGetObjectType(value_, &number));
  EXPECT_FALSE(VelmoraGetObjectInstNum(value_, &number));
  for (const char* operation :
       {"VelmoraGetObjectDeviceHandle", "VelmoraGetObjectType", "VelmoraGetObjectInstNum"})
    EXPECT_EQ(debug_.Count(std::string("Velmora run-time error: invalid object handle passed to ") +
                           operation + "()"),
              1u)
        << operation;
  ASSERT_TRUE(VelmoraDeleteDeviceImage(device_));
  EXPECT_EQ(VelmoraObjectIDToHandle(device_, &kInput), nullptr);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Supply"), nullptr);
  for (const char* operation : {"VelmoraObjectIDToHandle", "VelmoraObjectNameToHandle"})
    EXPECT_EQ(debug_.Count(std::string("Velmora run-time error: invalid device handle passed to ") +
                           operation + "()"),
              1u)
        << operation;
}

TEST_F(ApilReadHandleTest, ReadsSeveralPropertiesOfSeveralObjects) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  ASSERT_NO_FATAL_FAILURE(Images());
  VelmoraObjectHandle missing = Object(device_, {0, 7});  // not on the device
  Batch b;
  b.Add(input_, {Whole(kPresentValue), Whole(kUnknownProperty), Whole(kStatusFlags)}, 3)
      .Add(value_, {{kPriorityArray, 16}}, 1)
      .Add(self_, {Whole(kObjectName)}, 1)
      .Add(missing, {Whole(kPresentValue)}, 1);
  ASSERT_EQ(b.Read(device_), VELMORA_STATUS_OK);
  for (size_t i = 0; i < b.requests.size(); ++i)
    EXPECT_EQ(VelmoraReadMultiHandleResultGetHandle(&b.results[i]), b.requests[i].object) << i;
  EXPECT_EQ(b.results[0].count, 3u);
  EXPECT_EQ(b.At(0, 0).value.type, ASN_TYPE_REAL);
  EXPECT_EQ(*static_cast<const float*>(b.At(0, 0).value.buffer), 21.5f);
  // A property the object does not have is an error beside the values.
  EXPECT_EQ(b.At(0, 1).property, kUnknownProperty);
  EXPECT_EQ(b.At(0, 1).success, 0);
  EXPECT_EQ(b.At(0, 1).error.error_class, 2u);
  EXPECT_EQ(b.At(0, 1).error.error_code, 32u);
  EXPECT_EQ(b.At(0, 2).value.type, ASN_TYPE_BIT_STRING);
  EXPECT_EQ(b.At(1, 0).array_index, 16u);
  EXPECT_EQ(VelmoraPriorityValueGetReal(
                static_cast<const VelmoraPriorityValue*>(b.At(1, 0).value.buffer)),
            3.0f);
  EXPECT_STREQ(b.Text(2, 0), "Local One");
  EXPECT_EQ(b.At(3, 0).success, 0);
  EXPECT_EQ(b.At(3, 0).error.error_class, 1u);
  EXPECT_EQ(b.At(3, 0).error.error_code, 31u);  // unknown object

  // All of the input, room for two: five carried, two stored.
  Batch all;
  all.Add(input_, {Whole(kAll)}, 2);
  ASSERT_EQ(all.Read(device_), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraReadMultiHandleResultGetCount(&all.results[0], VELMORA_RESULT_COUNT), 5u);
  EXPECT_EQ(VelmoraReadMultiHandleResultGetCount(&all.results[0], VELMORA_RESULT_STORED), 2u);
  EXPECT_EQ(all.At(0, 0).property, 75u);

  // A value larger than its buffer.
  Batch tight;
  tight.Add(input_, {Whole(kObjectName)}, 1);
  tight.elements[0][0].value.capacity = 4;
  EXPECT_EQ(tight.Read(device_), VELMORA_STATUS_VALUE_OUT_OF_SPACE);

  // Through an allocator every array and value is the caller's.
  CountingAllocator counting;
  Batch whole;
  whole.Add(input_, {Whole(kAll)}, 0).Add(self_, {Whole(kObjectName)}, 0);
  ASSERT_EQ(whole.Read(device_, nullptr, &counting.base), VELMORA_STATUS_OK);
  ASSERT_EQ(whole.results[0].capacity, 5u);
  EXPECT_STREQ(whole.Text(0, 2), "Supply");
  EXPECT_STREQ(whole.Text(1, 0), "Local One");
  EXPECT_EQ(counting.live, 8);  // two arrays, six values
  EXPECT_TRUE(VelmoraReadMultiHandleResultFreeAll(&counting.base, whole.results.data(), 2));
  EXPECT_EQ(counting.live, 0);
  EXPECT_EQ(whole.results[0].object, nullptr);
  EXPECT_EQ(RunTimeErrors(), 0u);
}

TEST_F(ApilReadHandleTest, TheWildcardDeviceLearnsWhoAnswers) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  VelmoraDeviceHandle any = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteFive, kWildcard, &any), VELMORA_STATUS_OK);
  VelmoraObjectHandle wildcard = VelmoraGetDeviceObjectHandle(any);
  Batch b;
  b.Add(wildcard, {Whole(kObjectName)}, 1);
  ASSERT_EQ(b.Read(any), VELMORA_STATUS_OK);
  EXPECT_STREQ(b.Text(0, 0), "Remote Five");
  // The image is device 2001's now, and so is the result.
  EXPECT_EQ(VelmoraFindDeviceByInstance(2001), any);
  VelmoraObjectHandle answered = VelmoraReadMultiHandleResultGetHandle(&b.results[0]);
  EXPECT_EQ(answered, VelmoraGetDeviceObjectHandle(any));
  uint32_t instance = 0;
  EXPECT_TRUE(VelmoraGetObjectInstNum(answered, &instance));
  EXPECT_EQ(instance, 2001u);
  EXPECT_EQ(VelmoraObjectNameToHandle(any, "Remote Five"), answered);
}

TEST_F(ApilReadHandleTest, FailuresComeBackWithTheirDetail) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  VelmoraDeviceHandle five = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteFive, 2001, &five), VELMORA_STATUS_OK);
  VelmoraDeviceHandle silent = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteSilent, 1003, &silent), VELMORA_STATUS_OK);
  VelmoraDeviceHandle nobody = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteNobody, 1004, &nobody), VELMORA_STATUS_OK);
  const VelmoraFailure untouched{99, 99, 99};
  const struct {
    const char* what;
    VelmoraDeviceHandle device;
    uint32_t property;
    VelmoraStatus status;
    VelmoraFailure failure;
  } cases[] = {
      // The answer needs segments the device cannot send.
      {"longer than the device sends",
       five,
       kDescription,
       VELMORA_STATUS_BACNET_ABORT,
       {VELMORA_FAILURE_ABORT, 4, 0}},
      {"all of it", five, kAll, VELMORA_STATUS_BACNET_ABORT, {VELMORA_FAILURE_ABORT, 4, 0}},
      {"a silent device", silent, kObjectName, VELMORA_STATUS_TIMEOUT, untouched},
      {"nobody there", nobody, kObjectName, VELMORA_STATUS_TIMEOUT, untouched},
  };
  for (const auto& c : cases) {
    for (bool allocated : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (allocated ? ", allocated" : ""));
      CountingAllocator counting;
      Batch b;
      b.Add(VelmoraGetDeviceObjectHandle(c.device), {Whole(c.property)}, allocated ? 0 : 2);
      VelmoraFailure failure = untouched;
      EXPECT_EQ(b.Read(c.device, &failure, allocated ? &counting.base : nullptr), c.status);
      EXPECT_EQ(failure.kind, c.failure.kind);
      EXPECT_EQ(failure.reason, c.failure.reason);
      EXPECT_EQ(counting.live, 0);
    }
  }
}

// The in-process core: what it was sent, and answers a device would not
// give.
class ApilReadHandleCoreTest : public ApilReadHandleTest {
 protected:
  void SetUp() override {
    ApilReadHandleTest::SetUp();
    StartCore(ReadTestSite(300));
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
    Images();
  }
  size_t RequestsSent() {
    size_t n = 0;
    for (const VmdFrame& f : VmdFrames(core_))
      n += f.inbound && f.kind == IPC_KIND_CONF_REQUEST;
    return n;
  }
  // The next ReadPropertyMultiple is answered with this, after `meanwhile`
  // has run on the daemon's thread while the caller waits.
  void Answer(uint16_t outcome, const Bytes& answer, std::function<void()> meanwhile = nullptr) {
    VmdSetConfirmedHandler(core_, [=](const VmdConfirmed& rq, VmdAnswer* a) {
      if (rq.params.service != kReadPropertyMultiple) return false;
      if (meanwhile) meanwhile();
      a->outcome = outcome;
      a->answer = answer;
      return true;
    });
  }
  // The Object_Name of the input and of the value.
  Batch Names() {
    Batch b;
    b.Add(input_, {Whole(kObjectName)}, 0).Add(value_, {Whole(kObjectName)}, 0);
    return b;
  }
};

// The read-access result of an object (type, instance) with its
// Object_Name, a text of three characters.
Bytes NameOf(uint32_t type, uint32_t instance, const char* name) {
  const uint32_t id = type << 22 | instance;
  return {0x0C,
          uint8_t(id >> 24),
          uint8_t(id >> 16),
          uint8_t(id >> 8),
          uint8_t(id),
          0x1E,
          0x29,
          0x4D,
          0x4E,
          0x74,
          0x00,
          uint8_t(name[0]),
          uint8_t(name[1]),
          uint8_t(name[2]),
          0x4F,
          0x1F};
}

Bytes Join(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

TEST_F(ApilReadHandleCoreTest, ArgumentsAndHandlesAreCheckedBeforeAnythingIsSent) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle other = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteNobody, 1500, &other), VELMORA_STATUS_OK);
  VelmoraObjectHandle foreign = Object(other, kInput);
  VelmoraObjectHandle gone = Object(device_, {0, 3});
  ASSERT_TRUE(VelmoraDeleteObjectImage(gone));
  // A device another one has replaced at its address.
  VelmoraDeviceHandle replaced = nullptr, replacing = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteSilent, 1600, &replaced), VELMORA_STATUS_OK);
  ASSERT_EQ(VelmoraBindDevice(&kSiteSilent, 1601, &replacing), VELMORA_STATUS_OK);
  VelmoraObjectHandle unbound = Object(replaced, kInput);

  const auto batch = [&] {
    Batch b;
    b.Add(input_, {Whole(kPresentValue)}, 1).Add(value_, {Whole(kPresentValue)}, 1);
    return b;
  };
  Batch b = batch();
  EXPECT_EQ(VelmoraReadPropertyMultiple(device_, nullptr, b.results.data(), 2, nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraReadPropertyMultiple(device_, b.requests.data(), nullptr, 2, nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraReadPropertyMultiple(device_, b.requests.data(), b.results.data(), 0, nullptr,
                                        nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(RunTimeErrors(), 0u);

  const struct {
    const char* what;
    VelmoraDeviceHandle device;
    std::function<void(Batch*)> spoil;
    VelmoraStatus status;
    const char* logged;  // the kind of handle the run-time error names
  } cases[] = {
      {"no device", nullptr, [](Batch*) {}, VELMORA_STATUS_INVALID_DEVICE_HANDLE, "device"},
      {"a device not at its address", replaced,
       [&](Batch* b) { b->requests[0].object = b->requests[1].object = unbound; },
       VELMORA_STATUS_DEVICE_UNREACHABLE, nullptr},
      {"no references", device_, [](Batch* b) { b->requests[1].refs = nullptr; },
       VELMORA_STATUS_INVALID_PARAMETER, nullptr},
      {"a reference count of none", device_, [](Batch* b) { b->requests[1].count = 0; },
       VELMORA_STATUS_INVALID_PARAMETER, nullptr},
      {"an object image given up", device_, [&](Batch* b) { b->requests[1].object = gone; },
       VELMORA_STATUS_INVALID_OBJECT_HANDLE, "object"},
      {"no object", device_, [](Batch* b) { b->requests[0].object = nullptr; },
       VELMORA_STATUS_INVALID_OBJECT_HANDLE, "object"},
      {"an object of another device", device_, [&](Batch* b) { b->requests[1].object = foreign; },
       VELMORA_STATUS_INVALID_PARAMETER, nullptr},
      {"room without an array", device_, [](Batch* b) { b->results[1].results = nullptr; },
       VELMORA_STATUS_INVALID_PARAMETER, nullptr},
      {"a value without its buffer", device_,
       [](Batch* b) { b->elements[1][0].value.buffer = nullptr; }, VELMORA_STATUS_INVALID_PARAMETER,
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Batch spoilt = batch();
    c.spoil(&spoilt);
    debug_.Clear();
    EXPECT_EQ(spoilt.Read(c.device), c.status);
    const std::string line = std::string("Velmora run-time error: invalid ") +
                             (c.logged ? c.logged : "") +
                             " handle passed to VelmoraReadPropertyMultiple()";
    EXPECT_EQ(debug_.Count(line), c.logged ? 1u : 0u);
    EXPECT_EQ(RunTimeErrors(), c.logged ? 1u : 0u);
  }
  EXPECT_EQ(RequestsSent(), 0u);
  // The request itself goes.
  EXPECT_EQ(b.Read(device_), VELMORA_STATUS_OK);
  EXPECT_EQ(RequestsSent(), 1u);
  VelmoraTerminate();
  EXPECT_EQ(b.Read(device_), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraGetObjectDeviceHandle(input_), nullptr);
}

TEST_F(ApilReadHandleCoreTest, AnswersThatDoNotMatchTheRequestAreRefused) {
  TestDeadline deadline(std::chrono::seconds(60));
  const Bytes input = NameOf(0, 1, "Aaa");
  const Bytes value = NameOf(2, 2, "Bbb");
  const VelmoraFailure untouched{99, 99, 99};
  const struct {
    const char* what;
    uint16_t outcome;
    Bytes answer;
    VelmoraStatus status;
    VelmoraFailure failure;
    bool decodedSome;  // before it failed: what was allocated went back
  } cases[] = {
      {"both objects", IPC_OUTCOME_OK, Join(input, value), VELMORA_STATUS_OK, untouched, true},
      {"another object type", IPC_OUTCOME_OK, Join(input, NameOf(1, 2, "Bbb")),
       VELMORA_STATUS_INVALID_PACKET, untouched, true},
      {"another instance", IPC_OUTCOME_OK, Join(input, NameOf(2, 3, "Bbb")),
       VELMORA_STATUS_INVALID_PACKET, untouched, true},
      {"the objects swapped", IPC_OUTCOME_OK, Join(value, input), VELMORA_STATUS_INVALID_PACKET,
       untouched, false},
      {"one object of two", IPC_OUTCOME_OK, input, VELMORA_STATUS_INVALID_PACKET, untouched, true},
      {"three objects of two", IPC_OUTCOME_OK, Join(Join(input, value), value),
       VELMORA_STATUS_INVALID_PACKET, untouched, true},
      {"a BACnet Error",
       IPC_OUTCOME_ERROR,
       {0x91, 0x01, 0x91, 0x1F},
       VELMORA_STATUS_BACNET_ERROR,
       {VELMORA_FAILURE_ERROR, 1, 31},
       false},
      {"a Reject",
       IPC_OUTCOME_REJECT,
       {0x09},
       VELMORA_STATUS_BACNET_REJECT,
       {VELMORA_FAILURE_REJECT, 9, 99},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Answer(c.outcome, c.answer);
    CountingAllocator counting;
    Batch b = Names();
    VelmoraFailure failure = untouched;
    EXPECT_EQ(b.Read(device_, &failure, &counting.base), c.status);
    EXPECT_EQ(failure.kind, c.failure.kind);
    EXPECT_EQ(failure.reason, c.failure.reason);
    EXPECT_EQ(failure.error_code, c.failure.error_code);
    if (c.status == VELMORA_STATUS_OK) {
      EXPECT_STREQ(b.Text(1, 0), "Bbb");
      EXPECT_TRUE(VelmoraReadMultiHandleResultFreeAll(&counting.base, b.results.data(), 2));
    }
    EXPECT_EQ(counting.taken > 0, c.decodedSome);
    EXPECT_EQ(counting.live, 0);
  }
  EXPECT_EQ(RunTimeErrors(), 0u);
}

TEST_F(ApilReadHandleCoreTest, NamesAreKeptOnlyWhileTheDeviceIsAtTheAddressAskedAt) {
  TestDeadline deadline(std::chrono::seconds(60));
  Answer(IPC_OUTCOME_OK, Join(NameOf(0, 1, "Aaa"), NameOf(2, 2, "Bbb")));
  CountingAllocator counting;
  Batch first = Names();
  ASSERT_EQ(first.Read(device_, nullptr, &counting.base), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Aaa"), input_);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Bbb"), value_);
  VelmoraReadMultiHandleResultFreeAll(&counting.base, first.results.data(), 2);

  // An object image given up while the read was out: nothing of the
  // answer stays with the caller.
  Answer(IPC_OUTCOME_OK, Join(NameOf(0, 1, "Eee"), NameOf(2, 2, "Fff")),
         [this] { VelmoraDeleteObjectImage(input_); });
  Batch gone = Names();
  EXPECT_EQ(gone.Read(device_, nullptr, &counting.base), VELMORA_STATUS_INVALID_OBJECT_HANDLE);
  EXPECT_EQ(counting.live, 0);
  EXPECT_EQ(gone.results[1].results, nullptr);
  EXPECT_EQ(debug_.Count("invalid object handle passed to VelmoraReadPropertyMultiple()"), 1u);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Fff"), nullptr);
  input_ = Object(device_, kInput);

  // Another device takes the address while the read is out: the values
  // come back, but they are not this device's names.
  Answer(IPC_OUTCOME_OK, Join(NameOf(0, 1, "Ccc"), NameOf(2, 2, "Ddd")), [] {
    VelmoraDeviceHandle other = nullptr;
    VelmoraBindDevice(&kSiteOne, 1500, &other);
  });
  Batch moved = Names();
  ASSERT_EQ(moved.Read(device_, nullptr, &counting.base), VELMORA_STATUS_OK);
  EXPECT_STREQ(moved.Text(0, 0), "Ccc");
  EXPECT_STREQ(moved.Text(1, 0), "Ddd");
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Ccc"), nullptr);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Ddd"), nullptr);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "Bbb"), value_);
  VelmoraReadMultiHandleResultFreeAll(&counting.base, moved.results.data(), 2);
  EXPECT_EQ(counting.live, 0);
}

// A wildcard image at one address answered by a device the library knows
// at another: the device has moved, and the wildcard's image goes.
TEST_F(ApilReadHandleCoreTest, TheWildcardAnsweredByAKnownDevice) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle any = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kSiteNobody, kWildcard, &any), VELMORA_STATUS_OK);
  Answer(IPC_OUTCOME_OK, NameOf(8, 1001, "One"));
  Batch b;
  b.Add(VelmoraGetDeviceObjectHandle(any), {Whole(kObjectName)}, 1);
  ASSERT_EQ(b.Read(any), VELMORA_STATUS_OK);
  EXPECT_FALSE(VelmoraIsDeviceHandleValid(any));
  EXPECT_EQ(VelmoraReadMultiHandleResultGetHandle(&b.results[0]),
            VelmoraGetDeviceObjectHandle(device_));
  VelmoraAddress at{};
  ASSERT_TRUE(VelmoraGetDeviceAddress(device_, &at));
  EXPECT_EQ(std::memcmp(at.mac, kSiteNobody.mac, kSiteNobody.mac_length), 0);
  EXPECT_EQ(VelmoraObjectNameToHandle(device_, "One"), VelmoraGetDeviceObjectHandle(device_));
}

}  // namespace
