// pexil: one ReadProperty described on the command line (destination
// network and MAC address, object, property, optional array index); prints
// the request, then the value as text. Every argument is checked before the
// library starts, and the exit code tells which step failed.
#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "bacnet/records_read.h"
#include "demos/common/demo_common.h"
#include "runtime/apil/velmora.h"
#include "text/banner.h"
#include "text/cmdline.h"
#include "text/enum_names.h"
#include "text/hex_bytes.h"
#include "text/status_text.h"
#include "text/value_parse.h"
#include "text/value_text.h"

namespace {

enum PexilExit : int {
  kExitRead = 0,
  kExitUsage = 1,  // also a refused command line and a bad destination
  kExitObject = 2,
  kExitProperty = 3,
  kExitIndex = 4,
  kExitFailed = 5,
};

constexpr char kUsage[] =
    "\n"
    "This client application example for the ReadProperty service request.\n"
    "\n"
    "Command line syntax:\n"
    "\n"
    "    pexil.exe [-n XXX] -a XXX -t XXX -o XXX -p XXX [-i XXX]\n"
    "\n"
    "Options:\n"
    "\n"
    "    -n XXX    - network number (defaults to local)\n"
    "    -a XXX    - device address (hex string, no 0x in front)\n"
    "    -t XXX    - object type (string or integer)\n"
    "    -o XXX    - object instance number\n"
    "    -p XXX    - property ID (string or integer)\n"
    "    -i XXX    - array index\n"
    "\n"
    "Examples:\n"
    "\n"
    "    pexil -a C0A80175BAC9 -t 8 -o 1990 -p application-software-version\n"
    "    pexil -n 12AF -a C0A80175BAC9 -t 8 -o 1990 -p 76\n"
    "    pexil -n 24117 -a 0100 -t device -o 1 -p object-list\n"
    "\n";

constexpr uint32_t kOptionRoom = 64;
constexpr uint32_t kTextRoom = 15000;
constexpr uint32_t kValueRoom = 25000;
constexpr uint32_t kMacRoom = 8;
constexpr uint32_t kLargestNetwork = 0xFFFF;
constexpr uint32_t kLargestObjectType = 1023;
constexpr uint32_t kLargestInstance = 0x3FFFFF;
constexpr uint32_t kLargestProperty = 0x3FFFFF;
constexpr int32_t kNoIndex = -1;
constexpr int32_t kDetectedUnsigned = 2;

// A text longer than its option's buffer was cut there: it is read as it
// was given rather than by its first characters (which may read as another
// number).
const char* WholeOptionText(int argc, const char* const* argv, char letter, const char* kept) {
  const char* given = CmdLineFindOption(argc, argv, letter);
  return given && std::strlen(given) >= kOptionRoom ? given : kept;
}

bool ParseDestinationAddress(VelmoraAddress* address, int32_t network, const char* mac) {
  // The record keeps 16 bits: a larger number would name another network.
  if (network < -1 || (network > 0 && uint32_t(network) > kLargestNetwork)) {
    std::printf("Invalid Network Number: %" PRId32 "\n", network);
    return false;
  }
  uint8_t bytes[kMacRoom] = {};
  uint32_t count = 0;
  if (mac[0] == '\0' || !VelmoraHexToBytes(mac, bytes, kMacRoom, &count)) {
    std::printf("Invalid Device Address: %s\n", mac);
    return false;
  }
  if (count == 0 || count > VELMORA_MAC_MAX) {
    std::printf("Invalid MAC length %" PRIu32 "\n", count);
    return false;
  }
  if (network == 0) return VelmoraAddressInitLocal(address, bytes, uint8_t(count));
  return VelmoraAddressInitRemote(address, bytes, uint8_t(count), uint16_t(network));
}

// A number (a text starting with a digit, read whole within 32 bits) or a
// standard name of the enumeration row; false for neither.
bool ReadNumberOrName(const char* text, int32_t row, uint32_t* value) {
  if (DetectValueKind(text) == kDetectedUnsigned) return TextToUnsigned(text, value);
  *value = uint32_t(VelmoraEnumValueFromName(row, text));
  return VelmoraEnumIsStandard(row, *value);
}

bool ParseObjectArg(const char* typeText, int32_t instance, VelmoraObjectId* id) {
  uint32_t type = 0;
  if (typeText[0] == '\0' || !ReadNumberOrName(typeText, VELMORA_ENUM_OBJECT_TYPE, &type)) {
    std::printf("Invalid Object Type : %d\n", -1);
    return false;
  }
  if (type > kLargestObjectType) {
    std::printf("Invalid Object Type : %" PRIu32 "\n", type);
    return false;
  }
  if (uint32_t(instance) > kLargestInstance) {
    std::printf("Invalid Object Instance Number : %" PRId32 "\n", instance);
    return false;
  }
  return VelmoraObjectIdInit(id, type, uint32_t(instance));
}

bool ParsePropertyArg(const char* text, uint32_t* property) {
  if (text[0] == '\0' || !ReadNumberOrName(text, VELMORA_ENUM_PROPERTY, property)) {
    std::printf("Invalid Property ID : %d\n", -1);
    return false;
  }
  if (*property > kLargestProperty) {
    std::printf("Invalid Property ID : %" PRIu32 "\n", *property);
    return false;
  }
  return true;
}

// "Value : " and the value's text, whole however long. An element read by
// its index is written as the element, not as an array of one.
void PrintValueLine(char* text, const VelmoraAnyValue* value,
                    const VelmoraReadPropertyRequest* request) {
  const uint32_t type = VelmoraObjectIdGetType(VelmoraReadPropertyRequestGetObjectId(request));
  std::printf("Value : ");
  DemoWriteValue(stdout, text, kTextRoom, value, type,
                 VelmoraReadPropertyRequestGetProperty(request),
                 VelmoraReadPropertyRequestGetArrayIndex(request), 0);
  std::printf("\n");
}

bool ReadAndPrintProperty(const VelmoraObjectId* id, uint32_t property,
                          const VelmoraAddress* destination, int32_t index) {
  std::unique_ptr<char[]> text(new (std::nothrow) char[kTextRoom]);
  if (!text) {
    std::printf("ReadAndPrintProperty error: Not enough memory\n");
    return false;
  }
  if (DemoInitLibrary(1, 1, 0) != VELMORA_STATUS_OK) return false;
  alignas(std::max_align_t) static uint8_t valueBuffer[kValueRoom];
  VelmoraAnyValue value;
  VelmoraAnyValueInitEmpty(&value, valueBuffer, kValueRoom);
  VelmoraReadPropertyRequest request;
  VelmoraReadPropertyRequestInit(&request, id, property);
  if (index != kNoIndex) VelmoraReadPropertyRequestSetArrayIndex(&request, index);
  VelmoraFailure failure{};
  VelmoraStatus status = VelmoraReadPropertyByAddress(0, destination, &request, nullptr, nullptr,
                                                      nullptr, &value, &failure, nullptr);
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, &failure, "Couldn't Read Property");
    VelmoraTerminate();
    return false;
  }
  PrintValueLine(text.get(), &value, &request);
  VelmoraTerminate();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  PrintBanner("PEXIL", 2003);
  CmdLineSetUsage(kUsage, sizeof kUsage - 1);

  int32_t network = 0;
  char mac[kOptionRoom] = "";
  char typeText[kOptionRoom] = "";
  int32_t instance = -1;
  char propertyText[kOptionRoom] = "";
  int32_t index = kNoIndex;
  CmdLineOption rows[6];
  CmdLineOptionInit(&rows[0], CMDLINE_OPTION_SIGNED, &network, 'n', "Destination network number");
  CmdLineStringOptionInit(&rows[1], mac, kOptionRoom, 'a', "target Device address");
  CmdLineStringOptionInit(&rows[2], typeText, kOptionRoom, 't', "Object Type");
  CmdLineOptionInit(&rows[3], CMDLINE_OPTION_SIGNED, &instance, 'o', "Object Instance Number");
  CmdLineStringOptionInit(&rows[4], propertyText, kOptionRoom, 'p', "Property ID");
  CmdLineOptionInit(&rows[5], CMDLINE_OPTION_SIGNED, &index, 'i', "Array Index");

  if (argc <= 1) {
    CmdLinePrintUsage();
    return kExitUsage;
  }
  const char* const* args = argv;
  if (!CmdLineParse(argc, args, rows, 6)) return kExitUsage;

  static char text[kTextRoom];
  VelmoraAddress destination{};
  if (!ParseDestinationAddress(&destination, network, WholeOptionText(argc, args, 'a', mac)))
    return kExitUsage;
  VelmoraAddressToString(text, kTextRoom, &destination);
  std::printf("Device Address: %s\n", text);

  VelmoraObjectId id{};
  if (!ParseObjectArg(WholeOptionText(argc, args, 't', typeText), instance, &id))
    return kExitObject;
  VelmoraObjectIdToString(text, kTextRoom, &id);
  std::printf("Object %s\n", text);

  uint32_t property = 0;
  if (!ParsePropertyArg(WholeOptionText(argc, args, 'p', propertyText), &property))
    return kExitProperty;
  VelmoraEnumToString(text, kTextRoom, property, VELMORA_ENUM_PROPERTY, 1);
  std::printf("Property ID : %s\n", text);

  if (index < kNoIndex) {
    std::printf("Invalid Array Index : %" PRId32 "\n", index);
    return kExitIndex;
  }
  if (index != kNoIndex) std::printf("ArrayIndex : %" PRId32 "\n", index);

  return ReadAndPrintProperty(&id, property, &destination, index) ? kExitRead : kExitFailed;
}
