#pragma once

// How a captioned row places its caption. Aligned rows of one layout share a
// caption column, so their controls line up (an empty caption keeps the
// indent); an inline caption takes only its own width.
enum class ZrRowStyle {
    Aligned,
    Inline,
};
