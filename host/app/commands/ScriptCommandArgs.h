// What the editor's command sets share: adding a set's commands from one table, reading a
// command's words (counts, pixel points, key words, entity names) and writing numbers the way
// every command prints them.
#pragma once

#include "ScriptRunner.h"

#include <OgreVector.h>

#include <cstddef>
#include <initializer_list>
#include <string>

class CEditorView;
class CViewWindow;
class SceneEntity;

// One command of a set: the word that starts its lines and what runs them.
struct ScriptCommand {
    const char* name;
    CScriptRunner::Handler handler;
};

// Adds every command of the table; a name another set holds already is left to the runner,
// which records the clash.
void AddScriptCommands(CScriptRunner& runner, std::initializer_list<ScriptCommand> commands);

// "%.Nf" without a minus sign on a value that rounds to zero.
std::string Fixed(float value, int decimals);
// "X Y Z", each multiplied by `factor`, with four decimals.
std::string Triple(const Ogre::Vector3& v, float factor = 1.0f);

// True when there are exactly `n` words; otherwise error = "usage: USAGE".
bool Count(const CScriptRunner::Args& args, std::size_t n, const char* usage, std::string& error);
// The scene's entity of that name, or null with error = "unknown entity 'NAME'".
SceneEntity* Entity(CScriptRunner& runner, const std::string& name, std::string& error);
// The runner's target view, or null with error = "no view N".
CEditorView* TargetView(CScriptRunner& runner, std::string& error);
// The runner's target view window given the keyboard focus (waited for), or null with the
// error saying why.
CViewWindow* FocusTargetView(CScriptRunner& runner, std::string& error);
// Pixel coordinates X Y from args[at] and args[at + 1].
bool Point(const CScriptRunner::Args& args, std::size_t at, int& x, int& y, std::string& error);
// Optional "shift" / "ctrl" words from args[at] on, as KEY_SHIFT | KEY_CTRL.
bool Modifiers(const CScriptRunner::Args& args, std::size_t at, int& flags, std::string& error);
