// For the tests whose text depends on the property metadata: the datatype
// query answers only while the library is started, and these open it as the
// library's start does.
#pragma once

#include <gtest/gtest.h>

#include "bacnet/asn_property.h"

class PropertyQueryOpen : public ::testing::Test {
 protected:
  void SetUp() override { AsnPropertyQueryOpen(true); }
  void TearDown() override { AsnPropertyQueryOpen(false); }
};
