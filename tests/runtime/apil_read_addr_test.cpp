// ReadProperty and ReadPropertyMultiple by address against the velmorad
// program and a test site: values, elements and whole objects, the errors a
// device answers (inside a ReadPropertyMultiple, beside the values),
// aborts, time-outs; the same asynchronously, completed on the delivery
// thread with everything given back first, and ended by the shut-down. An
// in-process daemon core shows what is refused before anything is sent and
// answers that do not echo the request.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bacnet/asn_datatype_code.h"
#include "runtime/apil/velmora.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/osa/cfg.h"
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
constexpr VelmoraObjectId kInput{0, 1};
constexpr VelmoraObjectId kValue{2, 2};
constexpr VelmoraObjectId kAnyDevice{8, 0x3FFFFF};

bool SameAddress(const VelmoraAddress& a, const VelmoraAddress& b) {
  return a.remote == b.remote && (!a.remote || a.network == b.network) &&
         a.mac_length == b.mac_length && std::memcmp(a.mac, b.mac, a.mac_length) == 0;
}

VelmoraReadPropertyRequest Request(VelmoraObjectId id, uint32_t property, int32_t index = -1) {
  VelmoraReadPropertyRequest r{};
  EXPECT_TRUE(VelmoraReadPropertyRequestInit(&r, &id, property));
  EXPECT_TRUE(VelmoraReadPropertyRequestSetArrayIndex(&r, index));
  return r;
}

VelmoraStatus Read(const VelmoraAddress& at, const VelmoraReadPropertyRequest& r,
                   VelmoraAnyValue* value, VelmoraFailure* failure = nullptr,
                   VelmoraAllocator* allocator = nullptr) {
  return VelmoraReadPropertyByAddress(0, &at, &r, nullptr, nullptr, nullptr, value, failure,
                                      allocator);
}

// One read-access specification with its references, and its result with
// room for `capacity` elements of 32-byte values.
struct Multi {
  std::vector<VelmoraPropRef> refs;
  VelmoraReadAccessSpec spec{};
  std::vector<VelmoraReadResult> elements;
  std::vector<std::array<uint64_t, 4>> values;
  Multi(VelmoraObjectId id, std::vector<VelmoraPropRef> r, uint32_t capacity)
      : refs(std::move(r)), elements(capacity), values(capacity) {
    VelmoraReadAccessSpecInit(&spec, &id, refs.data(), uint32_t(refs.size()));
    for (uint32_t i = 0; i < capacity; ++i)
      VelmoraReadResultInitBuffer(&elements[i], values[i].data(), sizeof values[i]);
  }
  VelmoraReadMultiResult Result() {
    VelmoraReadMultiResult r{};
    if (!elements.empty())
      VelmoraReadMultiResultSetBuffer(&r, elements.data(), uint32_t(elements.size()));
    return r;
  }
};

// Specifications and results of several Multis, side by side.
struct MultiRequest {
  std::vector<VelmoraReadAccessSpec> specs;
  std::vector<VelmoraReadMultiResult> results;
  VelmoraReadMultiRequest list{};
  explicit MultiRequest(std::vector<Multi>& parts) {
    for (Multi& m : parts) {
      specs.push_back(m.spec);
      results.push_back(m.Result());
    }
    VelmoraReadMultiRequestInit(&list, specs.data(), uint32_t(specs.size()));
  }
};

VelmoraStatus ReadMultiple(const VelmoraAddress& at, MultiRequest* m,
                           VelmoraFailure* failure = nullptr,
                           VelmoraAllocator* allocator = nullptr) {
  return VelmoraReadPropertyMultipleByAddress(0, &at, &m->list, nullptr, nullptr, nullptr,
                                              m->results.data(), failure, allocator);
}

std::string ThreadName() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

// What the callbacks were given.
struct Completion {
  VelmoraRequestHandle handle;
  VelmoraAddress remote, local;
  VelmoraStatus status;
  const void* record;  // the request, or the results
  uint32_t count;
  VelmoraFailure* failure;
  std::string thread;
};

struct Inbox {
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<Completion> done;
  // Run by a callback before it returns (with the lock not held).
  std::function<void(const Completion&)> then;

  void Add(const Completion& c) {
    if (then) then(c);
    std::lock_guard<std::mutex> g(lock);
    done.push_back(c);
    arrived.notify_all();
  }
  bool WaitFor(size_t n) {
    std::unique_lock<std::mutex> g(lock);
    return arrived.wait_for(g, kTestWait, [&] { return done.size() >= n; });
  }
  std::vector<Completion> Taken() {
    std::lock_guard<std::mutex> g(lock);
    return done;
  }
};
Inbox* g_inbox = nullptr;

void OnRead(VelmoraRequestHandle h, const VelmoraAddress* remote, const VelmoraAddress* local,
            VelmoraStatus status, const VelmoraReadPropertyRequest* what, VelmoraAnyValue*,
            VelmoraFailure* failure) {
  g_inbox->Add({h, *remote, *local, status, what, 1, failure, ThreadName()});
}

void OnReadMultiple(VelmoraRequestHandle h, const VelmoraAddress* remote,
                    const VelmoraAddress* local, VelmoraStatus status,
                    VelmoraReadMultiResult* results, uint32_t count, VelmoraFailure* failure) {
  g_inbox->Add({h, *remote, *local, status, results, count, failure, ThreadName()});
}

class ApilReadAddrTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    g_inbox = &inbox_;
  }
  void TearDown() override {
    ApilTest::TearDown();
    g_inbox = nullptr;
  }
  void Start(uint32_t apduTimeout = 300) {
    StartProgram(kVelmorad, ReadTestSite(apduTimeout));
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
  Inbox inbox_;
};

TEST_F(ApilReadAddrTest, ReadsAPropertyAtAnAddress) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  float real[2] = {};
  VelmoraAnyValue value{-1, real, sizeof real, 0};
  ASSERT_EQ(Read(kSiteOne, Request(kInput, kPresentValue), &value), VELMORA_STATUS_OK);
  EXPECT_EQ(value.type, ASN_TYPE_REAL);
  EXPECT_EQ(real[0], 21.5f);
  VelmoraPriorityValue slot{};
  VelmoraAnyValue priority{-1, &slot, sizeof slot, 0};
  ASSERT_EQ(Read(kSiteOne, Request(kValue, kPriorityArray, 16), &priority), VELMORA_STATUS_OK);
  EXPECT_EQ(priority.type, ASN_TYPE_PRIORITY_VALUE);
  EXPECT_EQ(VelmoraPriorityValueGetReal(&slot), 3.0f);
  uint32_t length[2] = {};
  VelmoraAnyValue count{-1, length, sizeof length, 0};
  ASSERT_EQ(Read(kSiteOne, Request(kValue, kPriorityArray, 0), &count), VELMORA_STATUS_OK);
  EXPECT_EQ(count.type, ASN_TYPE_UNSIGNED);
  EXPECT_EQ(length[0], 16u);

  // The wildcard instance reaches whichever device is there; through an
  // allocator the storage is the caller's.
  for (const auto& [at, name] :
       {std::pair{kSiteOne, "Local One"}, std::pair{kSiteFive, "Remote Five"}}) {
    CountingAllocator counting;
    VelmoraAnyValue text{-1, nullptr, 0, 0};
    ASSERT_EQ(Read(at, Request(kAnyDevice, kObjectName), &text, nullptr, &counting.base),
              VELMORA_STATUS_OK)
        << name;
    EXPECT_STREQ(static_cast<const char*>(text.buffer), name);
    EXPECT_EQ(counting.live, 1);
    VelmoraAnyValueFree(&counting.base, &text);
  }

  // Neither a buffer nor an allocator: only what the value is.
  VelmoraAnyValue bare{-1, nullptr, 0, 0};
  ASSERT_EQ(Read(kSiteOne, Request(kInput, kObjectName), &bare), VELMORA_STATUS_OK);
  EXPECT_EQ(bare.type, ASN_TYPE_TEXT_ANSI);
  EXPECT_EQ(bare.count, 1u);
  char small[3];
  VelmoraAnyValue tight{-1, small, sizeof small, 0};
  EXPECT_EQ(Read(kSiteOne, Request(kInput, kObjectName), &tight),
            VELMORA_STATUS_VALUE_OUT_OF_SPACE);
}

struct FailureCase {
  const char* what;
  VelmoraAddress at;
  VelmoraReadPropertyRequest request;
  VelmoraStatus status;
  VelmoraFailure failure;  // kind 99: left untouched
};

TEST_F(ApilReadAddrTest, FailuresComeBackWithTheirDetail) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  const VelmoraFailure untouched{99, 99, 99};
  const FailureCase cases[] = {
      {"unknown property",
       kSiteOne,
       Request(kInput, kUnknownProperty),
       VELMORA_STATUS_BACNET_ERROR,
       {VELMORA_FAILURE_ERROR, 2, 32}},
      {"unknown object",
       kSiteOne,
       Request({0, 7}, kPresentValue),
       VELMORA_STATUS_BACNET_ERROR,
       {VELMORA_FAILURE_ERROR, 1, 31}},
      {"past the array",
       kSiteOne,
       Request(kValue, kPriorityArray, 17),
       VELMORA_STATUS_BACNET_ERROR,
       {VELMORA_FAILURE_ERROR, 2, 42}},
      {"longer than the device sends",
       kSiteFive,
       Request(kAnyDevice, kDescription),
       VELMORA_STATUS_BACNET_ABORT,
       {VELMORA_FAILURE_ABORT, 4, 0}},
      {"a silent device", kSiteSilent, Request(kAnyDevice, kObjectName), VELMORA_STATUS_TIMEOUT,
       untouched},
      {"nobody there", kSiteNobody, Request(kAnyDevice, kObjectName), VELMORA_STATUS_TIMEOUT,
       untouched},
  };
  for (const FailureCase& c : cases) {
    uint8_t buffer[16];
    VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
    VelmoraFailure failure = untouched;
    EXPECT_EQ(Read(c.at, c.request, &value, &failure), c.status) << c.what;
    EXPECT_EQ(failure.kind, c.failure.kind) << c.what;
    EXPECT_EQ(failure.reason, c.failure.reason) << c.what;
    if (c.failure.kind == VELMORA_FAILURE_ERROR) {
      EXPECT_EQ(failure.error_code, c.failure.error_code) << c.what;
    }
  }
}

TEST_F(ApilReadAddrTest, ReadsSeveralPropertiesOfSeveralObjects) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  std::vector<Multi> parts;
  parts.emplace_back(kInput,
                     std::vector<VelmoraPropRef>{{kPresentValue, VELMORA_NO_INDEX},
                                                 {kUnknownProperty, VELMORA_NO_INDEX},
                                                 {kStatusFlags, VELMORA_NO_INDEX}},
                     3);
  parts.emplace_back(kValue, std::vector<VelmoraPropRef>{{kPriorityArray, 16}}, 1);
  parts.emplace_back(kAnyDevice, std::vector<VelmoraPropRef>{{kObjectName, VELMORA_NO_INDEX}}, 1);
  MultiRequest m(parts);
  ASSERT_EQ(ReadMultiple(kSiteOne, &m), VELMORA_STATUS_OK);
  const VelmoraReadResult* input = parts[0].elements.data();
  EXPECT_EQ(m.results[0].count, 3u);
  EXPECT_EQ(input[0].value.type, ASN_TYPE_REAL);
  EXPECT_EQ(*static_cast<const float*>(input[0].value.buffer), 21.5f);
  EXPECT_EQ(input[1].property, kUnknownProperty);
  EXPECT_EQ(input[1].success, 0);
  EXPECT_EQ(input[1].error.error_class, 2u);
  EXPECT_EQ(input[1].error.error_code, 32u);
  EXPECT_EQ(input[2].success, 1);
  EXPECT_EQ(input[2].value.type, ASN_TYPE_BIT_STRING);
  EXPECT_EQ(parts[1].elements[0].array_index, 16u);
  EXPECT_EQ(VelmoraPriorityValueGetReal(
                static_cast<const VelmoraPriorityValue*>(parts[1].elements[0].value.buffer)),
            3.0f);
  // The device names itself.
  EXPECT_EQ(m.results[2].object_id.type, 8u);
  EXPECT_EQ(m.results[2].object_id.instance, 1001u);
  EXPECT_STREQ(static_cast<const char*>(parts[2].elements[0].value.buffer), "Local One");

  // All of the input: room for two, five there.
  std::vector<Multi> all;
  all.emplace_back(kInput, std::vector<VelmoraPropRef>{{kAll, VELMORA_NO_INDEX}}, 2);
  MultiRequest a(all);
  ASSERT_EQ(ReadMultiple(kSiteOne, &a), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&a.results[0], VELMORA_RESULT_COUNT), 5u);
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&a.results[0], VELMORA_RESULT_STORED), 2u);
  EXPECT_EQ(all[0].elements[0].property, 75u);

  // Through an allocator every array and value is the caller's.
  CountingAllocator counting;
  VelmoraReadMultiResult whole{};
  VelmoraReadMultiRequest list{};
  VelmoraReadMultiRequestInit(&list, &all[0].spec, 1);
  ASSERT_EQ(VelmoraReadPropertyMultipleByAddress(0, &kSiteOne, &list, nullptr, nullptr, nullptr,
                                                 &whole, nullptr, &counting.base),
            VELMORA_STATUS_OK);
  ASSERT_EQ(whole.capacity, 5u);
  EXPECT_STREQ(static_cast<const char*>(whole.results[2].value.buffer), "Supply");
  EXPECT_EQ(counting.live, 6);
  EXPECT_TRUE(VelmoraReadMultiResultFreeAll(&counting.base, &whole, 1));
  EXPECT_EQ(counting.live, 0);
}

TEST_F(ApilReadAddrTest, ReadPropertyMultipleFailures) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  std::vector<Multi> parts;
  parts.emplace_back(kAnyDevice, std::vector<VelmoraPropRef>{{kAll, VELMORA_NO_INDEX}}, 4);
  MultiRequest m(parts);
  VelmoraFailure failure{};
  EXPECT_EQ(ReadMultiple(kSiteFive, &m, &failure), VELMORA_STATUS_BACNET_ABORT);
  EXPECT_EQ(failure.kind, VELMORA_FAILURE_ABORT);
  EXPECT_EQ(failure.reason, 4u);  // segmentation not supported
  EXPECT_EQ(ReadMultiple(kSiteSilent, &m), VELMORA_STATUS_TIMEOUT);
  // Nothing is left allocated after a failure.
  CountingAllocator counting;
  EXPECT_EQ(ReadMultiple(kSiteNobody, &m, nullptr, &counting.base), VELMORA_STATUS_TIMEOUT);
  EXPECT_EQ(counting.live, 0);
}

TEST_F(ApilReadAddrTest, AsynchronousReadsCompleteOnTheDeliveryThread) {
  TestDeadline deadline(std::chrono::seconds(90));
  Start();
  VelmoraAddress local{};
  ASSERT_TRUE(VelmoraGetLocalAddress(&local));
  constexpr int kEach = 16;
  struct Single {
    VelmoraReadPropertyRequest request;
    float value[2];
    VelmoraAnyValue any;
    VelmoraFailure failure;
    VelmoraRequestHandle handle;
  };
  std::vector<Single> singles(kEach);
  std::vector<std::vector<Multi>> parts(kEach);
  std::vector<std::unique_ptr<MultiRequest>> multis;
  std::vector<VelmoraFailure> multiFailures(kEach);
  std::vector<VelmoraRequestHandle> multiHandles(kEach);
  for (int i = 0; i < kEach; ++i) {
    // Every fourth read asks for a property the input does not have.
    Single& s = singles[i];
    s.request = Request(kInput, i % 4 == 3 ? kUnknownProperty : kPresentValue);
    s.any = {-1, s.value, sizeof s.value, 0};
    s.failure = {};
    ASSERT_EQ(VelmoraReadPropertyByAddress(0, &kSiteOne, &s.request, OnRead, nullptr, &s.handle,
                                           &s.any, &s.failure, nullptr),
              VELMORA_STATUS_OK);
    EXPECT_NE(s.handle, nullptr);
    parts[i].emplace_back(kAnyDevice, std::vector<VelmoraPropRef>{{kObjectName, VELMORA_NO_INDEX}},
                          1);
    multis.push_back(std::make_unique<MultiRequest>(parts[i]));
    ASSERT_EQ(VelmoraReadPropertyMultipleByAddress(
                  0, &kSiteFive, &multis[i]->list, OnReadMultiple, nullptr, &multiHandles[i],
                  multis[i]->results.data(), &multiFailures[i], nullptr),
              VELMORA_STATUS_OK);
  }
  ASSERT_TRUE(inbox_.WaitFor(2 * kEach));
  for (const Completion& c : inbox_.Taken()) {
    EXPECT_EQ(c.thread, "confimed async ");
    EXPECT_TRUE(SameAddress(c.local, local));
    auto single = std::find_if(singles.begin(), singles.end(),
                               [&](const Single& s) { return &s.request == c.record; });
    if (single != singles.end()) {
      const int i = int(single - singles.begin());
      EXPECT_EQ(c.handle, single->handle) << i;
      EXPECT_EQ(c.failure, &single->failure) << i;
      EXPECT_TRUE(SameAddress(c.remote, kSiteOne)) << i;
      if (i % 4 == 3) {
        EXPECT_EQ(c.status, VELMORA_STATUS_BACNET_ERROR) << i;
        EXPECT_EQ(single->failure.error_code, 32u) << i;
      } else {
        EXPECT_EQ(c.status, VELMORA_STATUS_OK) << i;
        EXPECT_EQ(single->value[0], 21.5f) << i;
      }
      continue;
    }
    int i = 0;
    while (i < kEach && c.record != multis[i]->results.data())
      ++i;
    ASSERT_LT(i, kEach) << "a callback with records of no request";
    EXPECT_EQ(c.handle, multiHandles[i]) << i;
    EXPECT_EQ(c.count, 1u) << i;
    EXPECT_EQ(c.failure, &multiFailures[i]) << i;
    EXPECT_TRUE(SameAddress(c.remote, kSiteFive)) << i;
    EXPECT_EQ(c.status, VELMORA_STATUS_OK) << i;
    EXPECT_EQ(multis[i]->results[0].object_id.instance, 2001u) << i;
    EXPECT_STREQ(static_cast<const char*>(parts[i][0].elements[0].value.buffer), "Remote Five");
  }
  EXPECT_EQ(inbox_.Taken().size(), size_t(2 * kEach));
}

// With one client transaction and one request context, each callback
// starts the next read: both are given back before the callback runs. While
// one read is out, another finds no room.
TEST_F(ApilReadAddrTest, CallbacksMayStartTheNextRead) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(SetCfgDword("Cli\\Cli_Tsm_Pool_Size", 1));
  Start();
  constexpr size_t kChain = 20;
  const VelmoraReadPropertyRequest request = Request(kInput, kPresentValue);
  float real[2] = {};
  VelmoraAnyValue value{-1, real, sizeof real, 0};
  std::vector<VelmoraStatus> next;
  inbox_.then = [&](const Completion& c) {
    if (c.status != VELMORA_STATUS_OK || next.size() + 1 >= kChain) return;
    next.push_back(VelmoraReadPropertyByAddress(0, &kSiteOne, &request, OnRead, nullptr, nullptr,
                                                &value, nullptr, nullptr));
  };
  ASSERT_EQ(VelmoraReadPropertyByAddress(0, &kSiteOne, &request, OnRead, nullptr, nullptr, &value,
                                         nullptr, nullptr),
            VELMORA_STATUS_OK);
  ASSERT_TRUE(inbox_.WaitFor(kChain));
  for (const Completion& c : inbox_.Taken())
    EXPECT_EQ(c.status, VELMORA_STATUS_OK);
  EXPECT_EQ(next, std::vector<VelmoraStatus>(kChain - 1, VELMORA_STATUS_OK));
  inbox_.then = nullptr;

  // The silent device keeps the one transaction until its time-out.
  ASSERT_EQ(VelmoraReadPropertyByAddress(0, &kSiteSilent, &request, OnRead, nullptr, nullptr,
                                         &value, nullptr, nullptr),
            VELMORA_STATUS_OK);
  EXPECT_EQ(Read(kSiteOne, request, &value), VELMORA_STATUS_OUT_OF_RESOURCES);
  ASSERT_TRUE(inbox_.WaitFor(kChain + 1));
  EXPECT_EQ(inbox_.Taken().back().status, VELMORA_STATUS_TIMEOUT);
  EXPECT_EQ(Read(kSiteOne, request, &value), VELMORA_STATUS_OK);
}

// Reads still out at the shut-down are called back, ended, before it
// returns; nothing of theirs stays allocated.
TEST_F(ApilReadAddrTest, TerminateEndsTheReadsStillOut) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartProgram(kVelmorad, ReadTestSite(600000));
  const OsaCounters before = OsaCountersNow();
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  constexpr int kEach = 4;
  CountingAllocator counting;
  const VelmoraReadPropertyRequest request = Request(kAnyDevice, kObjectName);
  std::vector<VelmoraAnyValue> values(kEach, VelmoraAnyValue{-1, nullptr, 0, 0});
  std::vector<Multi> parts;
  parts.emplace_back(kAnyDevice, std::vector<VelmoraPropRef>{{kAll, VELMORA_NO_INDEX}}, 0);
  MultiRequest m(parts);
  std::vector<VelmoraReadMultiResult> results(kEach);
  std::vector<VelmoraStatus> during;
  inbox_.then = [&](const Completion&) {
    during.push_back(VelmoraReadPropertyByAddress(0, &kSiteOne, &request, OnRead, nullptr, nullptr,
                                                  &values[0], nullptr, &counting.base));
  };
  for (int i = 0; i < kEach; ++i) {
    ASSERT_EQ(VelmoraReadPropertyByAddress(0, &kSiteSilent, &request, OnRead, nullptr, nullptr,
                                           &values[i], nullptr, &counting.base),
              VELMORA_STATUS_OK);
    ASSERT_EQ(
        VelmoraReadPropertyMultipleByAddress(0, &kSiteSilent, &m.list, OnReadMultiple, nullptr,
                                             nullptr, &results[i], nullptr, &counting.base),
        VELMORA_STATUS_OK);
  }
  EXPECT_TRUE(inbox_.Taken().empty());
  VelmoraTerminate();
  const std::vector<Completion> done = inbox_.Taken();
  ASSERT_EQ(done.size(), size_t(2 * kEach));
  for (const Completion& c : done) {
    EXPECT_EQ(c.status, VELMORA_STATUS_NOT_INITIALIZED);
    EXPECT_EQ(c.thread, "confimed async ");
  }
  EXPECT_EQ(during, std::vector<VelmoraStatus>(2 * kEach, VELMORA_STATUS_NOT_INITIALIZED));
  EXPECT_EQ(counting.live, 0);
  EXPECT_EQ(OsaCountersNow(), before);
  inbox_.then = nullptr;
}

// The in-process core: what it was sent, and answers a device would not
// give.
class ApilReadAddrCoreTest : public ApilReadAddrTest {
 protected:
  void StartCore() {
    ApilTest::StartCore(ReadTestSite(300));
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
  size_t RequestsSent() {
    size_t n = 0;
    for (const VmdFrame& f : VmdFrames(core_))
      n += f.inbound && f.kind == IPC_KIND_CONF_REQUEST;
    return n;
  }
  void Answer(uint8_t service, const Bytes& answer) {
    VmdScriptRule rule;
    rule.service = service;
    rule.answer = answer;
    rule.uses = 1;
    VmdScriptAdd(core_, rule);
  }
};

TEST_F(ApilReadAddrCoreTest, ArgumentsAreCheckedBeforeAnythingIsSent) {
  TestDeadline deadline(std::chrono::seconds(60));
  const VelmoraReadPropertyRequest request = Request(kInput, kPresentValue);
  uint8_t buffer[8];
  VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
  std::vector<Multi> parts;
  parts.emplace_back(kInput, std::vector<VelmoraPropRef>{{kPresentValue, VELMORA_NO_INDEX}}, 1);
  MultiRequest m(parts);
  EXPECT_EQ(Read(kSiteOne, request, &value), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(ReadMultiple(kSiteOne, &m), VELMORA_STATUS_NOT_INITIALIZED);
  StartCore();

  VelmoraAddress tooLong = kSiteOne;
  tooLong.mac_length = 8;
  VelmoraAnyValue noBuffer{-1, nullptr, 8, 0};
  EXPECT_EQ(VelmoraReadPropertyByAddress(0, &tooLong, &request, OnRead, nullptr, nullptr, &value,
                                         nullptr, nullptr),
            VELMORA_STATUS_INVALID_ADDRESS);
  EXPECT_EQ(VelmoraReadPropertyByAddress(0, &kSiteOne, nullptr, nullptr, nullptr, nullptr, &value,
                                         nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(Read(kSiteOne, request, nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(Read(kSiteOne, request, &noBuffer), VELMORA_STATUS_INVALID_PARAMETER);

  EXPECT_EQ(VelmoraReadPropertyMultipleByAddress(0, &kSiteOne, nullptr, nullptr, nullptr, nullptr,
                                                 m.results.data(), nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraReadPropertyMultipleByAddress(0, &tooLong, &m.list, nullptr, nullptr, nullptr,
                                                 m.results.data(), nullptr, nullptr),
            VELMORA_STATUS_INVALID_ADDRESS);
  EXPECT_EQ(VelmoraReadPropertyMultipleByAddress(0, &kSiteOne, &m.list, nullptr, nullptr, nullptr,
                                                 nullptr, nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  // A specification without references, a count of none, a result that
  // claims room it has not, a value buffer missing.
  const auto refused = [&](const std::function<void(MultiRequest*)>& spoil) {
    MultiRequest copy(parts);
    spoil(&copy);
    return ReadMultiple(kSiteOne, &copy);
  };
  EXPECT_EQ(refused([](MultiRequest* r) { r->specs[0].count = 0; }),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(refused([](MultiRequest* r) { r->list.count = 0; }), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(refused([](MultiRequest* r) { r->results[0].results = nullptr; }),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(refused([&](MultiRequest*) { parts[0].elements[0].value.buffer = nullptr; }),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(RequestsSent(), 0u);
  EXPECT_TRUE(inbox_.Taken().empty());
}

TEST_F(ApilReadAddrCoreTest, AnAnswerThatDoesNotEchoTheRequestIsRefused) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartCore();
  // Object-name of device 1001 and of device 1002, and the description of
  // device 1001, each "Ten".
  const Bytes kName1001 = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4D,
                           0x3E, 0x74, 0x00, 'T',  'e',  'n',  0x3F};
  Bytes name1002 = kName1001;
  name1002[4] = 0xEA;
  Bytes description = kName1001;
  description[6] = 0x1C;
  const VelmoraReadPropertyRequest exact = Request({8, 1001}, kObjectName);
  const VelmoraReadPropertyRequest any = Request(kAnyDevice, kObjectName);
  const struct {
    const char* what;
    Bytes answer;
    const VelmoraReadPropertyRequest* request;
    VelmoraStatus status;
  } cases[] = {
      {"the device asked for", kName1001, &exact, VELMORA_STATUS_OK},
      {"another device", name1002, &exact, VELMORA_STATUS_INVALID_PACKET},
      {"any device for the wildcard", name1002, &any, VELMORA_STATUS_OK},
      {"another property", description, &exact, VELMORA_STATUS_INVALID_PACKET},
      {"another property for the wildcard", description, &any, VELMORA_STATUS_INVALID_PACKET},
  };
  for (const auto& c : cases) {
    for (bool async : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (async ? ", asynchronously" : ""));
      Answer(12, c.answer);
      CountingAllocator counting;
      VelmoraAnyValue value{-1, nullptr, 0, 0};
      VelmoraStatus status;
      if (!async) {
        status = Read(kSiteOne, *c.request, &value, nullptr, &counting.base);
      } else {
        const size_t before = inbox_.Taken().size();
        ASSERT_EQ(VelmoraReadPropertyByAddress(0, &kSiteOne, c.request, OnRead, nullptr, nullptr,
                                               &value, nullptr, &counting.base),
                  VELMORA_STATUS_OK);
        ASSERT_TRUE(inbox_.WaitFor(before + 1));
        status = inbox_.Taken().back().status;
      }
      EXPECT_EQ(status, c.status);
      // A refused value is given back at once.
      EXPECT_EQ(counting.live, status == VELMORA_STATUS_OK ? 1 : 0);
      if (status != VELMORA_STATUS_OK) {
        EXPECT_EQ(value.buffer, nullptr);
      }
      VelmoraAnyValueFree(&counting.base, &value);
    }
  }

  // A ReadPropertyMultiple answered for one object of two.
  std::vector<Multi> parts;
  parts.emplace_back(kInput, std::vector<VelmoraPropRef>{{kPresentValue, VELMORA_NO_INDEX}}, 0);
  parts.emplace_back(kValue, std::vector<VelmoraPropRef>{{kPresentValue, VELMORA_NO_INDEX}}, 0);
  MultiRequest m(parts);
  Answer(14, {0x0C, 0x00, 0x00, 0x00, 0x01, 0x1E, 0x29, 0x55, 0x4E, 0x44, 0x41, 0xAC, 0x00, 0x00,
              0x4F, 0x1F});
  CountingAllocator counting;
  EXPECT_EQ(ReadMultiple(kSiteOne, &m, nullptr, &counting.base), VELMORA_STATUS_INVALID_PACKET);
  EXPECT_EQ(counting.taken, 2);
  EXPECT_EQ(counting.live, 0);
}

}  // namespace
