#pragma once

#include "ZrCoreLib/IZrProductInfo.h"

// The stand-in's product information: there is nothing to load, so Load
// succeeds, unless the environment variable ZRTOOLS_FAIL_PRODUCT_INFO is
// set, which makes it fail with the variable's value as error text (an empty
// value: fail without a text). Tests use that to exercise a failed start-up.
class CProductInfo final : public IZrProductInfo {
public:
    bool Load(IZrDllString* errorText) override;
    void MarkFinished() { m_finished = true; }
    void Reset() { m_finished = false; }

private:
    bool m_finished = false;
};
