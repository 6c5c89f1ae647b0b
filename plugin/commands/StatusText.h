// What the tool tells the user in the editor's status line, in one place: the change a drag has
// made since the press, a drag taken back, and an edit the tool refused (an entity that may not
// be transformed, a typed text that is no number). The texts are the user's (Simplified
// Chinese); the numbers use a point and fixed decimals so that a script can read them back.
#pragma once

#include <OgreVector.h>

#include <string>

class CSceneManager;
class Interface;

namespace StatusText {

// Added to a drag's text while Ctrl snaps it.
extern const char* const kSnapped;
extern const char* const kCancelled;
extern const char* const kNotANumber;
// An Alt press on the move gizmo when nothing selected may be copied.
extern const char* const kNothingCopied;

// "移动 Δ X, Y, Z" (three decimals): the move since the press.
std::string Move(const Ogre::Vector3& delta, bool snapped);
// "旋转 D°" (one decimal): the turn since the press, given in radians.
std::string Rotate(float radians, bool snapped);
// "缩放 ×F" (two decimals): the scale factor since the press.
std::string Scale(float factor, bool snapped);
// "  输入 TEXT": added to a drag's text while an amount typed as TEXT stands.
std::string Typed(const std::string& text);
// "已拒绝：NAME 已锁定，变换未改变": the edit left the entity as it was.
std::string Locked(const std::string& name);
// "已拒绝输入 TEXT：WHY": an amount typed during a drag that was not applied.
std::string TypedRefused(const std::string& text, const std::string& why);
// Why: "NAME 的变换会超出世界范围（位置 ±1e+06，缩放 1e-06 至 1e+06）".
std::string OutOfRange(const std::string& name);
// Why a typed scale factor below zero is refused.
extern const char* const kNegativeScale;

// The first selected entity (by name) that may not be transformed; empty when there is none.
std::string FirstLockedSelected(CSceneManager* scene);

// Writes `text` into the editor's status line through the host (nothing without one).
void Show(Interface* host, const std::string& text);
// Shows Locked() for the first locked entity of the selection; false (nothing shown) when the
// selection holds none.
bool ShowLockedSelected(Interface* host, CSceneManager* scene);

} // namespace StatusText
