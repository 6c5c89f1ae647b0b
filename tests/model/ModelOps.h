// The operations of the model check: each is one or more editor script lines, so a failing run
// can be printed as a script the editor replays. Generated from a seed, or read back from such
// a script.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

class CEditorSession;
struct ModelScene;

enum class OpKind {
    Tool,    // tool select|move|rotate|scale
    Drag,    // drag PART DX DY STEPS
    Panel,   // type panel ID TEXT, leave
    Bar,     // type bar ID TEXT, key return
    Snap,    // click 1023
    Follow,  // groundfollow on|off
    Select,  // select NAME...
    Click,   // tool select, press X Y [MODS], release X Y [MODS]
    Rect,    // tool select, [keys MODS,] rect X0 Y0 X1 Y1[, keys none]
    Parents, // parents
    Copy,    // copy
    Light,   // prop LABEL TEXT
    Undo,
    Redo,
    Save,        // save PATH
    Duplicate,   // duplicate (Ctrl+D in the view)
    AltDrag,     // keys alt, drag centre DX DY STEPS, keys none (copies dragged)
    Align,       // align x|y|z min|center|max
    Distribute,  // distribute x|y|z
    VertexSnap,  // vertexsnap X0 Y0 X1 Y1 (move tool, from a selected entity to another's pixel)
    SurfaceDrag, // surfacedrag X0 Y0 X1 Y1 (move tool, from the current entity's pixel)
};
constexpr int kOpKindCount = static_cast<int>(OpKind::SurfaceDrag) + 1;

struct ModelOp {
    OpKind kind = OpKind::Undo;
    std::vector<std::string> lines;
    // What the lines say, read back by ParseOp.
    std::string word; // tool name, drag part, light row label, groundfollow on|off, axis
    int id = 0;       // panel or bar control id
    std::string text; // typed text, the side of an align
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int modifiers = 0; // 4 shift, 8 ctrl
    std::vector<std::string> names;
};

// Reads an operation from its script lines; false for lines that are none of the above.
bool ParseOp(const std::vector<std::string>& lines, ModelOp& op);

// Seeded operations. Only the raw 32-bit output of the engine is used, with distributions
// written here, so a seed gives the same operations on every platform.
class COpGenerator {
public:
    explicit COpGenerator(std::uint32_t seed) : m_rng(seed) {}
    // Where saves go; without one no save is generated.
    void SetSavePath(const std::string& path) { m_savePath = path; }
    // The next operation for the scene as the model has it, the tool mode (0 select .. 3 scale)
    // and the editor (for pixels of entities and whether a gizmo part is shown).
    ModelOp Next(const ModelScene& scene, int mode, CEditorSession& session);

private:
    std::uint32_t Below(std::uint32_t n) { return n ? m_rng() % n : 0; }
    int Between(int lo, int hi) { return lo + static_cast<int>(Below(hi - lo + 1)); }
    double Real(double lo, double hi) { return lo + (hi - lo) * (m_rng() / 4294967296.0); }
    std::string Number(double lo, double hi, int decimals);
    std::string PickName(const ModelScene& scene);
    bool EntityPixel(CEditorSession& session, const std::string& name, int& x, int& y);
    ModelOp Make(OpKind kind, std::vector<std::string> lines);
    // A duplicate, an Alt drag of the copies (move mode, the current copy not locked), an align
    // or a distribute.
    ModelOp Placement(const ModelScene& scene, int mode, CEditorSession& session);

    std::mt19937 m_rng;
    std::string m_savePath;
};

// The scene after a copy of the selection as the plug-in makes it (up to the first entity that
// may not be copied, or the first light when the scene holds 8), the copies selected; `copies`
// gets their names in the order made, paired with their sources.
ModelScene CopiedScene(const ModelScene& before,
                       std::vector<std::pair<std::string, std::string>>* copies = nullptr);

// The file the model check saves to: one in a folder of its own under the temporary folder
// (made when missing), kept for replays.
std::string ModelSavePath();
