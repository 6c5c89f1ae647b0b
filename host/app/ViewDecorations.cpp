#include "ViewDecorations.h"

#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreTechnique.h>
#include <OgreTextureManager.h>
#include <OgreHardwarePixelBuffer.h>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <algorithm>
#include <vector>

namespace {

const int kMargin = 6;  // caption distance from the view's corner, pixels
const int kPadding = 4; // around the text inside its box

// Minor lines every unit this far from the origin; major lines every 10 units farther out.
const int kMinorExtent = 100;
const int kMajorExtent = 1000;
const Ogre::ColourValue kMinor(0.37f, 0.41f, 0.47f);
const Ogre::ColourValue kMajor(0.52f, 0.57f, 0.64f);
const Ogre::ColourValue kAxis(0.68f, 0.72f, 0.78f);

// The ground grid of the perspective view reaches less far: farther out its lines would only
// blur into the horizon.
const int kGroundMinorExtent = 50;
const int kGroundMajorExtent = 500;

const char* const kGridMaterial = "EditorViewGrid";
const char* const kGroundGridMaterial = "EditorViewGroundGrid";

// The axis tripod: arm length and distance of its centre from the view's left and bottom
// edges, letter size, in pixels.
const float kAxisArm = 26.0f;
const float kAxisInset = 16.0f + kAxisArm;
const float kLetterSize = 7.0f;
const float kLetterGap = 9.0f;
const Ogre::ColourValue kAxisColours[3] = {Ogre::ColourValue(0.95f, 0.25f, 0.25f),
                                           Ogre::ColourValue(0.35f, 0.9f, 0.35f),
                                           Ogre::ColourValue(0.35f, 0.55f, 1.0f)};
// Strokes of the letters X, Y and Z in a unit square (x right, y up), as segment end points.
const float kLetterX[] = {0, 0, 1, 1, 0, 1, 1, 0};
const float kLetterY[] = {0, 1, 0.5f, 0.5f, 1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0};
const float kLetterZ[] = {0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0};
const float* const kLetters[3] = {kLetterX, kLetterY, kLetterZ};
const int kLetterStrokes[3] = {2, 3, 3};

// Unlit vertex colours, drawn behind the scene: first, and without touching the depth buffer.
void EnsureGridMaterial() {
    auto& materials = Ogre::MaterialManager::getSingleton();
    if (materials.getByName(kGridMaterial, Ogre::RGN_DEFAULT))
        return;
    Ogre::MaterialPtr m = materials.create(kGridMaterial, Ogre::RGN_DEFAULT);
    Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
    pass->setLightingEnabled(false);
    pass->setVertexColourTracking(Ogre::TVC_DIFFUSE);
    pass->setDepthCheckEnabled(false);
    pass->setDepthWriteEnabled(false);
}

// The same lines hidden by what stands in front of them, drawn after the scene.
void EnsureGroundGridMaterial() {
    auto& materials = Ogre::MaterialManager::getSingleton();
    if (materials.getByName(kGroundGridMaterial, Ogre::RGN_DEFAULT))
        return;
    Ogre::MaterialPtr m = materials.create(kGroundGridMaterial, Ogre::RGN_DEFAULT);
    Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
    pass->setLightingEnabled(false);
    pass->setVertexColourTracking(Ogre::TVC_DIFFUSE);
    pass->setDepthCheckEnabled(true);
    pass->setDepthWriteEnabled(false);
    pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
}

Ogre::Vector3 OnPlane(CViewDecorations::Plane plane, float u, float v) {
    switch (plane) {
    case CViewDecorations::XY:
        return Ogre::Vector3(u, v, 0.0f);
    case CViewDecorations::ZY:
        return Ogre::Vector3(0.0f, v, u);
    default:
        return Ogre::Vector3(u, 0.0f, v);
    }
}

} // namespace

CViewDecorations::CViewDecorations(Ogre::SceneManager* sceneManager, const std::string& name,
                                   Ogre::uint32 visibilityBit, const std::string& caption,
                                   Plane grid)
    : m_sceneManager(sceneManager), m_name(name), m_bit(visibilityBit), m_captionText(caption),
      m_plane(grid) {}

const char* CViewDecorations::OverlayLineMaterial() {
    EnsureGridMaterial();
    return kGridMaterial;
}

void CViewDecorations::FrameDrawn() {
    if (!m_built && m_framesDrawn++ >= kFramesBeforeBuild)
        Build();
}

void CViewDecorations::Build() {
    if (m_built)
        return;
    m_built = true;
    BuildCaption(m_captionText);
    if (m_plane != NONE)
        BuildGrid(m_plane);
    BuildAxes();
    PlaceCaption();
    SetGridShown(m_gridShown);
}

CViewDecorations::~CViewDecorations() {
    if (m_caption)
        m_sceneManager->destroyManualObject(m_caption);
    if (m_grid)
        m_sceneManager->destroyManualObject(m_grid);
    if (m_axes)
        m_sceneManager->destroyManualObject(m_axes);
    // The caption's texture and material stay with the engine: a view made again under the
    // same name reuses them.
}

void CViewDecorations::BuildCaption(const std::string& caption) {
    const std::string texture = m_name + "CaptionTexture";
    const std::string material = m_name + "CaptionMaterial";
    // The text is drawn by the toolkit (which has the CJK fonts) into a bitmap: white text on
    // black becomes light text whose brightness is its opacity, on a translucent dark box.
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetWeight(wxFONTWEIGHT_BOLD);
    const wxString text = wxString::FromUTF8(caption);
    wxBitmap measure(1, 1);
    wxMemoryDC dc(measure);
    dc.SetFont(font);
    const wxSize extent = dc.GetTextExtent(text);
    dc.SelectObject(wxNullBitmap);
    const int w = extent.x + 2 * kPadding, h = extent.y + 2 * kPadding;
    if (extent.x <= 0 || extent.y <= 0)
        return;
    wxBitmap bitmap(w, h, 24);
    dc.SelectObject(bitmap);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetFont(font);
    dc.SetTextForeground(*wxWHITE);
    dc.DrawText(text, kPadding, kPadding);
    dc.SelectObject(wxNullBitmap);
    const wxImage image = bitmap.ConvertToImage();
    std::vector<unsigned char> rgba(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char lum = image.GetRed(x, y);
            unsigned char* p = &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            p[0] = p[1] = p[2] = lum;
            p[3] = std::max<unsigned char>(lum, 110);
        }

    Ogre::TextureManager& textures = Ogre::TextureManager::getSingleton();
    Ogre::TexturePtr tex = textures.getByName(texture, Ogre::RGN_DEFAULT);
    if (!tex || tex->getWidth() != unsigned(w) || tex->getHeight() != unsigned(h)) {
        if (tex)
            textures.remove(tex);
        tex = textures.createManual(texture, Ogre::RGN_DEFAULT, Ogre::TEX_TYPE_2D, unsigned(w),
                                    unsigned(h), 0, Ogre::PF_BYTE_RGBA);
    }
    tex->getBuffer()->blitFromMemory(
        Ogre::PixelBox(unsigned(w), unsigned(h), 1, Ogre::PF_BYTE_RGBA, rgba.data()));

    auto& materials = Ogre::MaterialManager::getSingleton();
    if (!materials.getByName(material, Ogre::RGN_DEFAULT)) {
        Ogre::MaterialPtr m = materials.create(material, Ogre::RGN_DEFAULT);
        Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
        pass->setLightingEnabled(false);
        pass->setDepthCheckEnabled(false);
        pass->setDepthWriteEnabled(false);
        pass->setCullingMode(Ogre::CULL_NONE);
        pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
        Ogre::TextureUnitState* unit = pass->createTextureUnitState(texture);
        unit->setTextureFiltering(Ogre::TFO_NONE);
        unit->setTextureAddressingMode(Ogre::TextureUnitState::TAM_CLAMP);
    }
    m_textWidth = w;
    m_textHeight = h;
    m_caption = m_sceneManager->createManualObject(m_name + "Caption");
    m_caption->setUseIdentityProjection(true);
    m_caption->setUseIdentityView(true);
    m_caption->setRenderQueueGroup(Ogre::RENDER_QUEUE_OVERLAY);
    m_caption->setVisibilityFlags(m_bit);
    m_caption->setQueryFlags(0);
    m_caption->setBoundingBox(Ogre::AxisAlignedBox::BOX_INFINITE);
    m_caption->setDynamic(true);
    m_caption->begin(material, Ogre::RenderOperation::OT_TRIANGLE_LIST);
    for (int i = 0; i < 4; ++i) {
        m_caption->position(0, 0, 0);
        m_caption->textureCoord(float(i & 1), float(i >> 1));
    }
    m_caption->quad(0, 2, 3, 1);
    m_caption->end();
    m_sceneManager->getRootSceneNode()->attachObject(m_caption);
}

void CViewDecorations::Resize(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    m_width = width;
    m_height = height;
    PlaceCaption();
}

void CViewDecorations::PlaceCaption() {
    const int width = m_width, height = m_height;
    if (!m_caption || width <= 0 || height <= 0)
        return;
    // Pixel corners to clip space; texel (0, 0) at the top left.
    auto nx = [width](int x) { return 2.0f * float(x) / float(width) - 1.0f; };
    auto ny = [height](int y) { return 1.0f - 2.0f * float(y) / float(height); };
    const int x0 = kMargin, y0 = kMargin, x1 = kMargin + m_textWidth, y1 = kMargin + m_textHeight;
    m_caption->beginUpdate(0);
    for (int i = 0; i < 4; ++i) {
        m_caption->position(nx(i & 1 ? x1 : x0), ny(i >> 1 ? y1 : y0), 0.0f);
        m_caption->textureCoord(float(i & 1), float(i >> 1));
    }
    m_caption->quad(0, 2, 3, 1);
    m_caption->end();
}

void CViewDecorations::BuildGrid(Plane plane) {
    const bool ground = plane == GROUND;
    if (ground)
        EnsureGroundGridMaterial();
    else
        EnsureGridMaterial();
    m_grid = m_sceneManager->createManualObject(m_name + "Grid");
    m_grid->setRenderQueueGroup(ground ? Ogre::RENDER_QUEUE_6 : Ogre::RENDER_QUEUE_BACKGROUND);
    m_grid->setVisibilityFlags(m_bit);
    m_grid->setQueryFlags(0);
    m_grid->setCastShadows(false);
    m_grid->begin(ground ? kGroundGridMaterial : kGridMaterial,
                  Ogre::RenderOperation::OT_LINE_LIST);
    // On the ground the lines are half see-through: the terrain under them still reads.
    const float alpha = ground ? 0.45f : 1.0f;
    auto line = [&](float u0, float v0, float u1, float v1, Ogre::ColourValue colour) {
        colour.a = alpha;
        m_grid->position(OnPlane(plane, u0, v0));
        m_grid->colour(colour);
        m_grid->position(OnPlane(plane, u1, v1));
        m_grid->colour(colour);
    };
    // Minor lines first, so that the major ones drawn later cover them where they meet.
    const int minorExtent = ground ? kGroundMinorExtent : kMinorExtent;
    const int majorExtent = ground ? kGroundMajorExtent : kMajorExtent;
    const float minor = float(minorExtent), major = float(majorExtent);
    for (int i = -minorExtent; i <= minorExtent; ++i) {
        if (i % 10 == 0)
            continue;
        line(float(i), -minor, float(i), minor, kMinor);
        line(-minor, float(i), minor, float(i), kMinor);
    }
    for (int i = -majorExtent; i <= majorExtent; i += 10) {
        const Ogre::ColourValue& colour = i == 0 ? kAxis : kMajor;
        line(float(i), -major, float(i), major, colour);
        line(-major, float(i), major, float(i), colour);
    }
    m_grid->end();
    m_sceneManager->getRootSceneNode()->attachObject(m_grid);
}

void CViewDecorations::SetGridShown(bool shown) {
    m_gridShown = shown;
    if (m_grid)
        m_grid->setVisible(shown);
}

void CViewDecorations::BuildAxes() {
    EnsureGridMaterial();
    m_axes = m_sceneManager->createManualObject(m_name + "Axes");
    m_axes->setUseIdentityProjection(true);
    m_axes->setUseIdentityView(true);
    m_axes->setRenderQueueGroup(Ogre::RENDER_QUEUE_OVERLAY);
    m_axes->setVisibilityFlags(m_bit);
    m_axes->setQueryFlags(0);
    m_axes->setCastShadows(false);
    m_axes->setBoundingBox(Ogre::AxisAlignedBox::BOX_INFINITE);
    m_axes->setDynamic(true);
    m_axes->setVisible(false); // until it is turned the first time
    m_sceneManager->getRootSceneNode()->attachObject(m_axes);
}

void CViewDecorations::UpdateAxes(const Ogre::Quaternion& cameraOrientation) {
    if (!m_axes || m_width <= 0 || m_height <= 0)
        return;
    const float key[6] = {cameraOrientation.w, cameraOrientation.x, cameraOrientation.y,
                          cameraOrientation.z, float(m_width),      float(m_height)};
    if (std::equal(key, key + 6, m_axesFor))
        return;
    std::copy(key, key + 6, m_axesFor);

    // Each world axis in the camera's frame: x right, y up, z towards the viewer.
    const Ogre::Quaternion toCamera = cameraOrientation.Inverse();
    Ogre::Vector3 dirs[3];
    for (int i = 0; i < 3; ++i) {
        Ogre::Vector3 axis = Ogre::Vector3::ZERO;
        axis[i] = 1.0f;
        dirs[i] = toCamera * axis;
    }
    // The axes pointing away from the viewer first, so that the nearer ones cover them.
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int a, int b) { return dirs[a].z < dirs[b].z; });

    const float w = float(m_width), h = float(m_height);
    const float cx = kAxisInset, cy = h - kAxisInset; // pixels, y down
    auto add = [&](float px, float py, const Ogre::ColourValue& colour) {
        m_axes->position(2.0f * px / w - 1.0f, 1.0f - 2.0f * py / h, 0.0f);
        m_axes->colour(colour);
    };
    const bool first = m_axes->getSections().empty();
    if (first)
        m_axes->begin(kGridMaterial, Ogre::RenderOperation::OT_LINE_LIST);
    else
        m_axes->beginUpdate(0);
    for (int i : order) {
        const Ogre::ColourValue& colour = kAxisColours[i];
        const float dx = dirs[i].x, dy = -dirs[i].y;
        // The arm, twice, one pixel apart across it, so that it reads at a glance.
        const bool steep = std::abs(dy) > std::abs(dx);
        for (int k = 0; k < 2; ++k) {
            const float ox = steep ? float(k) : 0.0f, oy = steep ? 0.0f : float(k);
            add(cx + ox, cy + oy, colour);
            add(cx + ox + dx * kAxisArm, cy + oy + dy * kAxisArm, colour);
        }
        // The letter just beyond the arm's end (at the centre when the axis faces the viewer).
        const float lx = cx + dx * (kAxisArm + kLetterGap) - kLetterSize * 0.5f;
        const float ly = cy + dy * (kAxisArm + kLetterGap) + kLetterSize * 0.5f;
        const float* strokes = kLetters[i];
        for (int s = 0; s < 3; ++s) {
            // Every letter has the same vertex count: a short letter repeats its last stroke.
            const int k = std::min(s, kLetterStrokes[i] - 1) * 4;
            add(lx + strokes[k] * kLetterSize, ly - strokes[k + 1] * kLetterSize, colour);
            add(lx + strokes[k + 2] * kLetterSize, ly - strokes[k + 3] * kLetterSize, colour);
        }
    }
    m_axes->end();
    m_axes->setVisible(true);
}
