// Reports on a daemon's network ports (their list, information, the
// networks behind each, status and packet counts) and the control that
// connects or disconnects a PTP port. The PrintOne printers fetch and print
// one port and give false when the fetch failed (which they have printed);
// the PrintAll printers do so for every port of the daemon's list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bacnet/records.h"

// What a port is, from its type and protocol; PORT_KIND_NONE for a pair
// without a name.
inline constexpr int32_t PORT_KIND_NONE = -1;
inline constexpr int32_t PORT_KIND_COUNT = 14;

struct PortInfoRecord {
  uint32_t port_id;
  uint8_t enabled;
  int32_t kind;  // PortKindOf
  uint16_t network;
  std::string nic;
  std::string secondary;
  std::string label;
  uint32_t type;  // as reported, for a kind without a name
  uint32_t protocol;
};

struct PortToNetsRecord {
  uint32_t port_id;
  std::vector<uint16_t> networks;
};

struct PortStatisticsRecord {
  uint32_t port_id;
  uint32_t received;
  uint32_t sent;
};

using PortCallback = bool (*)(const VelmoraAddress* target, uint32_t portId);

// port_list_get
bool PortListGet(const VelmoraAddress* target, std::vector<uint32_t>* ids);
void PortListPrint(const std::vector<uint32_t>& ids);
// The callback for every port in order; the number of ports, 0 when the
// list cannot be had.
uint32_t PortListForEach(const VelmoraAddress* target, PortCallback callback);

// port_info. The record's port_id names the port.
int32_t PortKindOf(uint32_t type, uint32_t protocol, const char* nic);
bool PortInfoGet(const VelmoraAddress* target, PortInfoRecord* record);
void PortInfoFree(PortInfoRecord* record);
void PortInfoPrintRecord(const PortInfoRecord* record);
bool PortInfoPrintOne(const VelmoraAddress* target, uint32_t portId);
uint32_t PortInfoPrintAll(const VelmoraAddress* target);

// port_to_nets. The record's port_id names the port.
bool PortToNetsGet(const VelmoraAddress* target, PortToNetsRecord* record);
void PortToNetsPrintRecord(const PortToNetsRecord* record);
bool PortToNetsPrintOne(const VelmoraAddress* target, uint32_t portId);
uint32_t PortToNetsPrintAll(const VelmoraAddress* target);

// port_status: 0 disconnected, 1 in progress, 2 connected, 3 permanent.
bool PortStatusGet(const VelmoraAddress* target, uint32_t portId, uint32_t* status);
void PortStatusPrintRecord(uint32_t status);
bool PortStatusPrintOne(const VelmoraAddress* target, uint32_t portId);
uint32_t PortStatusPrintAll(const VelmoraAddress* target);

// port_statistics. The record's port_id names the port.
bool PortStatisticsGet(const VelmoraAddress* target, PortStatisticsRecord* record);
void PortStatisticsPrintRecord(const PortStatisticsRecord* record);
bool PortStatisticsPrintOne(const VelmoraAddress* target, uint32_t portId);
uint32_t PortStatisticsPrintAll(const VelmoraAddress* target);

// nl_port_connect: true when the daemon answered OK. A timeout of 0 asks
// for 20 s.
bool NlPortConnect(const VelmoraAddress* target, uint32_t portId, uint32_t timeout);
bool NlPortDisconnect(const VelmoraAddress* target, uint32_t portId);
