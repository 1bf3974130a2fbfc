#pragma once

// Colour roles; the painter maps each to a concrete colour, so controls never
// name one.
enum class ZrColor {
    Window,        // dialog background
    Field,         // inside of combo boxes, check boxes and lists
    Button,        // button face
    Border,        // control outlines
    Text,          // captions and item texts
    Focus,         // the keyboard focus mark
    Highlight,     // selected item of an open list
    HighlightText, // text on Highlight
};
