// Octets written as hex text in test tables.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// "0C 02 00" -> {0x0C, 0x02, 0x00}; spaces between octets are ignored.
std::vector<uint8_t> Hex(const std::string& text);
// unit repeated n times.
std::string Repeat(const std::string& unit, int n);
// The parts one after another.
std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts);
