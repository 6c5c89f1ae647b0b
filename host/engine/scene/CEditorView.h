// One editor view: a camera on its own scene node looking into the scene through a pixel
// rectangle, with the projection and pick maths the plug-ins use and navigation for the app.
//
// viewOrientation answers the orientation of the frame whose +Z axis is the viewing direction
// and whose +Y axis is the camera's up (the camera's own frame turned half a turn about its Y
// axis, since an Ogre camera looks down its -Z axis). A plane built from that frame's X and Y
// axes therefore has its normal (Y x X) pointing back at the viewer.
#pragma once

#include "IView.h"
#include "SnapGeometry.h"

#include <string>

namespace Ogre {
class Camera;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CEditorView : public IView {
public:
    // Creates a camera `name` on a new scene node of the scene manager.
    CEditorView(Ogre::SceneManager* sceneManager, const std::string& name);
    ~CEditorView() override;
    CEditorView(const CEditorView&) = delete;
    CEditorView& operator=(const CEditorView&) = delete;

    Ogre::Camera* GetCamera() const { return m_camera; }
    Ogre::SceneNode* GetCameraNode() const { return m_node; }
    // Size of the view in pixels; also sets the camera's aspect ratio. Negative sizes become 0.
    void SetPixelSize(int width, int height);
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Orthographic projection showing `worldHeight` units vertically, or perspective again.
    void SetOrthographic(bool orthographic, float worldHeight = 40.0f);
    bool IsOrthographic() const;

    // Navigation. The orbit and zoom turn about / move towards the pivot (the last LookAt
    // target, or the point frameBox centred on).
    void LookAt(const Ogre::Vector3& eye, const Ogre::Vector3& target);
    void Orbit(float dxPixels, float dyPixels);
    void Pan(float dxPixels, float dyPixels);
    void Zoom(float wheelSteps);
    Ogre::Vector3 GetEye() const;
    Ogre::Vector3 GetPivot() const { return m_pivot; }
    // Unit viewing direction.
    Ogre::Vector3 GetDirection() const;
    // What the view shows, for the snapping queries: the same pixels as projectPoint.
    SnapGeometry::PixelProjection Projection() const;

    // IView
    void setPickRegion(const PixelRect* rect, const Ogre::Matrix4* local) override;
    int testSphere(const Ogre::Vector3& centre, float radius) override;
    int testBox(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner) override;
    PixelRect pixelRect() const override;
    bool checksDepth() const override;
    void lineDistances(float& first, float& second) const override;
    Ogre::Vector3 viewOrientation() const override;
    void rayThroughPixel(int x, int y, Ogre::Vector3& nearPoint,
                         Ogre::Vector3& farPoint) const override;
    void projectPoint(Ogre::Vector3& out, const Ogre::Vector3& point,
                      const Ogre::Matrix4* local) const override;
    float sizeFactor(const Ogre::Vector3& point) const override;
    int testSegment(const Ogre::Vector3& a, const Ogre::Vector3& b,
                    const Ogre::Matrix4* local) override;
    bool entityInRect(SceneEntity* entity, const Ogre::Vector2& min,
                      const Ogre::Vector2& max) const override;
    void frameBox(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner, float nearClip,
                  float farClip) override;

    // The pick region as set (for tests); `HasPickRect` false when cleared.
    bool HasPickRect() const { return m_hasPickRect; }

private:
    // World point -> clip-space (x, y, z, w) through view and projection.
    Ogre::Vector4 ToClip(const Ogre::Vector3& world) const;
    Ogre::Vector3 ClipToPixel(const Ogre::Vector4& clip) const;
    Ogre::Vector3 ApplyLocal(const Ogre::Vector3& point, const Ogre::Matrix4* local) const;
    bool SegmentTouchesRect(Ogre::Vector3 a, Ogre::Vector3 b) const;
    float SafeWidth() const { return m_width > 0 ? float(m_width) : 1.0f; }
    float SafeHeight() const { return m_height > 0 ? float(m_height) : 1.0f; }

    Ogre::SceneManager* m_sceneManager = nullptr;
    Ogre::Camera* m_camera = nullptr;
    Ogre::SceneNode* m_node = nullptr;
    int m_width = 0;
    int m_height = 0;
    float m_orthoHeight = 40.0f;
    Ogre::Vector3 m_pivot = Ogre::Vector3::ZERO;

    bool m_hasPickRect = false;
    PixelRect m_pickRect;
    bool m_hasPickLocal = false;
    Ogre::Matrix4 m_pickLocal = Ogre::Matrix4::IDENTITY;

    // What ToClip works out of the camera, kept for the camera orientation and field of view
    // it was worked out for: a rectangle projects thousands of points through the same camera.
    mutable Ogre::Quaternion m_clipOrientation{0.0f, 0.0f, 0.0f, 0.0f};
    mutable Ogre::Quaternion m_clipInverse = Ogre::Quaternion::IDENTITY;
    mutable float m_clipFovY = -1.0f;
    mutable float m_clipTanHalfFovY = 0.0f;
};
