// The side panel's text rules, free of the toolkit: which characters a numeric edit takes,
// how typed text becomes a number, how values are shown, where long text is cut and how the
// mesh information text is built. The panel applies them; the tests check them headless.
#pragma once

#include "EditorTypes.h"

#include <cstddef>
#include <string>
#include <vector>

namespace PanelText {

// The longest text the panel reads from a value edit and from the name edit, in bytes.
constexpr std::size_t kMaxValueBytes = 62;
constexpr std::size_t kMaxNameBytes = 31;

// Degrees to radians and back: the host interface's pair.
using ::kDegreesToRadians;
using ::kRadiansToDegrees;

// A character a numeric edit takes as typed: the decimal digits, ".", "-" and backspace (8).
// Everything else, the control characters of copy, cut, paste and undo included, is refused.
bool IsNumericEditChar(int code);
// Whether every character of text is one a numeric edit takes as typed. Text pasted into an
// edit is checked with it when the edit is read: a character no key could have typed there
// refuses the whole text.
bool IsNumericEditText(const std::string& text);

// The largest length <= limit at which text can be cut without splitting a UTF-8 character.
std::size_t CharBoundary(const std::string& text, std::size_t limit);
// text cut to at most limit bytes at a character boundary.
std::string CutText(const std::string& text, std::size_t limit);

// Parses the start of text as atof does, in the "C" locale whatever the process's: leading
// white space, an optional sign, digits with an optional point and fraction, an optional
// exponent; it stops at the first character that does not fit. Only that grammar is read
// ("inf", "nan" and hexadecimal read as 0). Text without a number gives 0; a value beyond
// the double range gives an infinity, as atof does.
double ParseNumber(const std::string& text);

// The outcome of reading a value edit.
enum class EditVerdict {
    Apply,     // the value differs from the entity's: apply it
    Unchanged, // equal at single precision: no command
    Refused,   // not finite at single precision, or a zero scale: nothing reaches an entity
};

struct EditValue {
    EditVerdict verdict = EditVerdict::Unchanged;
    float value = 0.0f; // in the entity's unit (radians for a rotation)
};

// Reads the text of a value edit of the given kind (1 position, 2 rotation in degrees,
// 3 scale) against the entity's current component: cut to kMaxValueBytes, parsed, turned into
// radians for a rotation, rounded to single precision and compared.
EditValue ReadEdit(const std::string& text, int kind, float current);

// printf's "%.<decimals>f" of value, except that a value that rounds to zero is never shown
// with a minus sign ("-0.000" reads as a value that is not there).
std::string FormatFixed(double value, int decimals);

// "%.3f" of a component as the panel shows it (no negative zero); a rotation is turned into
// degrees first.
std::string FormatValue(float value, int kind);

// Lengths and offsets as the double-byte code page of the interface text counts them: one
// unit per ASCII character and two per other character (a Chinese character), while the
// strings themselves are UTF-8. Cp936Offset answers the UTF-8 byte offset of the character
// that holds the given unit offset (so an offset inside a double-byte character moves back
// to its start), or the text's size when the offset lies at or past its end.
std::size_t Cp936Length(const std::string& text);
std::size_t Cp936Offset(const std::string& text, std::size_t units);

// The mesh information text of an entity: the mesh name (with line breaks at double-byte
// offsets 36 and 61 of the text so far, each moved back to the start of the character it
// falls in), the height and one line per sub-entity with its material.
std::string MeshInfoText(const std::string& meshName, float height,
                         const std::vector<std::string>& materials);

} // namespace PanelText
