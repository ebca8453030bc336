// Encodings of constructed values that several tests count and measure.
#pragma once

// BACnetDestination: every day, all day, to device 1, process 1,
// confirmed, all transitions.
inline constexpr const char* kDestinationHex =
    "82 01 FE B4 00 00 00 00 B4 17 3B 3B 63 0C 02 00 00 01 21 01 11 82 05 E0";
// BACnetAddressBinding: device 1 at network 0, MAC c0:a8:00:01:ba:c0.
inline constexpr const char* kAddressBindingHex = "C4 02 00 00 01 21 00 65 06 C0 A8 00 01 BA C0";
// BACnetDeviceObjectPropertyReference: analog-input 1, present-value.
inline constexpr const char* kReferenceHex = "0C 00 00 00 01 19 55";
// BACnetEventLogRecord: 2024-05-17 12:30, a log status of log-disabled.
inline constexpr const char* kEventLogRecordHex =
    "0E A4 7C 05 11 05 B4 0C 1E 00 00 0F 1E 0A 05 80 1F ";
