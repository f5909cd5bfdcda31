// The robot figure assembled from boxes, cylinders and spheres, one object per
// body part so that each can carry its own material.
#include "robot_shape.h"

#include "mesh_builder.h"
#include "textures.h"

enum RobotMaterial { BODY_METAL, JOINT_DARK, EYE_GLOW, ACCENT, PANEL_PICTURE };

// The returned reference holds until the next part is added.
static MeshObject& part(Model& model, const char* name, RobotMaterial material) {
    model.objects.push_back({name, material, {}});
    return model.objects.back();
}

Model makeRobot() {
    Model model;
    model.materials = {
        {"RobotMetal", {0.30, 0.33, 0.38}, {0.62, 0.66, 0.72}, {0.90, 0.90, 0.90}, 0.40},
        {"RobotJoint", {0.10, 0.10, 0.12}, {0.22, 0.23, 0.26}, {0.50, 0.50, 0.50}, 0.20},
        {"RobotEye", {0.40, 0.30, 0.00}, {1.00, 0.80, 0.10}, {1.00, 1.00, 1.00}, 0.60},
        {"RobotAccent", {0.40, 0.10, 0.00}, {0.95, 0.35, 0.05}, {0.80, 0.80, 0.80}, 0.50},
        // The program looks for the picture relative to its working directory,
        // by a path written the way the format's exporters write them.
        {"RobotPanel",
         {0.50, 0.50, 0.50},
         {1.00, 1.00, 1.00},
         {0.60, 0.60, 0.60},
         0.30,
         std::string("data\\") + PANEL_TEXTURE_FILE,
         2.0,
         1.0},
    };

    // Heights, from the ground up.
    const double ground = -1.0, ankle = -0.94, hip = -0.57, waist = -0.52;
    const double shoulder = -0.10, neckTop = -0.02, crown = 0.24;

    for (int side = -1; side <= 1; side += 2) {
        const bool left = side > 0; // the robot's left hand is on +x when it faces +z
        const double legX = 0.105 * side;
        MeshObject& foot = part(model, left ? "FootLeft" : "FootRight", JOINT_DARK);
        addBox(foot.mesh, {legX - 0.07, ground, -0.08}, {legX + 0.07, ankle, 0.13});
        MeshObject& leg = part(model, left ? "LegLeft" : "LegRight", BODY_METAL);
        addBox(leg.mesh, {legX - 0.05, ankle, -0.05}, {legX + 0.05, hip, 0.05});
        addSphere(leg.mesh, {legX, -0.76, 0.0}, 0.062, 12, 6); // knee

        const double armX = 0.25 * side;
        MeshObject& arm = part(model, left ? "ArmLeft" : "ArmRight", BODY_METAL);
        addSphere(arm.mesh, {armX, shoulder - 0.04, 0.0}, 0.065, 16, 8);
        addBox(arm.mesh, {armX - 0.04, -0.44, -0.04}, {armX + 0.04, shoulder - 0.04, 0.04});
        MeshObject& hand = part(model, left ? "HandLeft" : "HandRight", JOINT_DARK);
        addSphere(hand.mesh, {armX, -0.48, 0.0}, 0.055, 16, 8);
    }

    MeshObject& hips = part(model, "Hips", JOINT_DARK);
    addBox(hips.mesh, {-0.18, hip - 0.03, -0.09}, {0.18, waist, 0.09});

    MeshObject& body = part(model, "Body", BODY_METAL);
    addBox(body.mesh, {-0.20, waist, -0.12}, {0.20, shoulder, 0.12});

    // The picture spans half the panel and repeats once across it (u tiling 2).
    const Vec3 panelLow = {-0.16, -0.34, 0.12}, panelHigh = {0.16, -0.18, 0.14};
    MeshObject& panel = part(model, "ChestPanel", PANEL_PICTURE);
    addBox(panel.mesh, panelLow, panelHigh);
    projectTexCoordsAlongZ(panel.mesh, {panelLow.x, panelLow.y}, {panelHigh.x, panelHigh.y});
    MeshObject& buttons = part(model, "ChestButtons", ACCENT);
    addCylinder(buttons.mesh, {-0.06, -0.42, 0.12}, Axis::Z, 0.025, 0.02, 16);
    addCylinder(buttons.mesh, {0.06, -0.42, 0.12}, Axis::Z, 0.025, 0.02, 16);

    MeshObject& neck = part(model, "Neck", JOINT_DARK);
    addCylinder(neck.mesh, {0.0, shoulder, 0.0}, Axis::Y, 0.045, neckTop - shoulder, 16);

    MeshObject& head = part(model, "Head", BODY_METAL);
    addBox(head.mesh, {-0.14, neckTop, -0.11}, {0.14, crown, 0.11});
    addCylinder(head.mesh, {0.14, 0.12, 0.0}, Axis::X, 0.045, 0.03, 16); // ears
    addCylinder(head.mesh, {-0.17, 0.12, 0.0}, Axis::X, 0.045, 0.03, 16);

    MeshObject& eyes = part(model, "Eyes", EYE_GLOW);
    addCylinder(eyes.mesh, {-0.06, 0.14, 0.11}, Axis::Z, 0.036, 0.025, 24);
    addCylinder(eyes.mesh, {0.06, 0.14, 0.11}, Axis::Z, 0.036, 0.025, 24);

    MeshObject& mouth = part(model, "Mouth", JOINT_DARK);
    addBox(mouth.mesh, {-0.07, 0.035, 0.11}, {0.07, 0.06, 0.125});

    MeshObject& antennae = part(model, "Antennae", JOINT_DARK);
    addCylinder(antennae.mesh, {-0.07, crown, 0.0}, Axis::Y, 0.012, 0.11, 12);
    addCylinder(antennae.mesh, {0.07, crown, 0.0}, Axis::Y, 0.012, 0.11, 12);
    MeshObject& tips = part(model, "AntennaTips", ACCENT);
    addSphere(tips.mesh, {-0.07, 0.37, 0.0}, 0.03, 12, 6);
    addSphere(tips.mesh, {0.07, 0.37, 0.0}, 0.03, 12, 6);

    // Keep an untextured part last. Drawing a model leaves texturing on or off,
    // and the bound picture, as its last object set them, and the robot's
    // display list records that. The letter blocks are drawn right after the
    // robots in every frame, so the list must end with texturing off, as it did
    // before the panel had a picture.
    return model;
}
