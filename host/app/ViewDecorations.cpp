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

const char* const kGridMaterial = "EditorViewGrid";

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
    : m_sceneManager(sceneManager), m_name(name), m_bit(visibilityBit) {
    BuildCaption(caption);
    if (grid != NONE)
        BuildGrid(grid);
}

CViewDecorations::~CViewDecorations() {
    if (m_caption)
        m_sceneManager->destroyManualObject(m_caption);
    if (m_grid)
        m_sceneManager->destroyManualObject(m_grid);
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
    EnsureGridMaterial();
    m_grid = m_sceneManager->createManualObject(m_name + "Grid");
    m_grid->setRenderQueueGroup(Ogre::RENDER_QUEUE_BACKGROUND);
    m_grid->setVisibilityFlags(m_bit);
    m_grid->setQueryFlags(0);
    m_grid->begin(kGridMaterial, Ogre::RenderOperation::OT_LINE_LIST);
    auto line = [&](float u0, float v0, float u1, float v1, const Ogre::ColourValue& colour) {
        m_grid->position(OnPlane(plane, u0, v0));
        m_grid->colour(colour);
        m_grid->position(OnPlane(plane, u1, v1));
        m_grid->colour(colour);
    };
    // Minor lines first, so that the major ones drawn later cover them where they meet.
    const float minor = float(kMinorExtent), major = float(kMajorExtent);
    for (int i = -kMinorExtent; i <= kMinorExtent; ++i) {
        if (i % 10 == 0)
            continue;
        line(float(i), -minor, float(i), minor, kMinor);
        line(-minor, float(i), minor, float(i), kMinor);
    }
    for (int i = -kMajorExtent; i <= kMajorExtent; i += 10) {
        const Ogre::ColourValue& colour = i == 0 ? kAxis : kMajor;
        line(float(i), -major, float(i), major, colour);
        line(-major, float(i), major, float(i), colour);
    }
    m_grid->end();
    m_sceneManager->getRootSceneNode()->attachObject(m_grid);
}
