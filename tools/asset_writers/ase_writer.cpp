// Model text in the ASCII scene export layout.
#include "ase_writer.h"

#include <cmath>
#include <cstdio>

std::string fixed4(double value) {
    long long tenThousandths = std::llround(value * 10000.0);
    bool negative = tenThousandths < 0;
    unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(tenThousandths)
                                            : static_cast<unsigned long long>(tenThousandths);
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%04llu", negative ? "-" : "", magnitude / 10000,
                  magnitude % 10000);
    return text;
}

static std::string triple(double a, double b, double c) {
    return fixed4(a) + "\t" + fixed4(b) + "\t" + fixed4(c);
}

static void line(std::string& out, int depth, const std::string& text) {
    out.append(static_cast<size_t>(depth), '\t');
    out += text;
    out += '\n';
}

static std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Names are quoted values on lines that readers may pass over 99 characters
// at a time, so they are kept short, and free of what some readers stop at or
// cannot hold: quotes, blanks, control characters and bytes beyond ASCII.
static std::string quotedName(const std::string& name) {
    const size_t longest = 48;
    std::string safe = name.substr(0, longest);
    for (char& c : safe) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == '"' || byte >= 0x7f)
            c = '_';
    }
    return quoted(safe);
}

static void writeMaterial(std::string& out, int index, const Material& m) {
    line(out, 1, "*MATERIAL " + std::to_string(index) + " {");
    line(out, 2, "*MATERIAL_NAME " + quotedName(m.name));
    line(out, 2, "*MATERIAL_CLASS \"Standard\"");
    line(out, 2, "*MATERIAL_AMBIENT " + triple(m.ambient.x, m.ambient.y, m.ambient.z));
    line(out, 2, "*MATERIAL_DIFFUSE " + triple(m.diffuse.x, m.diffuse.y, m.diffuse.z));
    line(out, 2, "*MATERIAL_SPECULAR " + triple(m.specular.x, m.specular.y, m.specular.z));
    line(out, 2, "*MATERIAL_SHINE " + fixed4(m.shine));
    line(out, 2, "*MATERIAL_SHINESTRENGTH " + fixed4(0.5));
    line(out, 2, "*MATERIAL_TRANSPARENCY " + fixed4(0.0));
    line(out, 2, "*MATERIAL_WIRESIZE " + fixed4(1.0));
    line(out, 2, "*MATERIAL_SHADING Blinn");
    line(out, 2, "*MATERIAL_XP_FALLOFF " + fixed4(0.0));
    line(out, 2, "*MATERIAL_SELFILLUM " + fixed4(0.0));
    line(out, 2, "*MATERIAL_FALLOFF In");
    line(out, 2, "*MATERIAL_XP_TYPE Filter");
    if (!m.bitmap.empty()) {
        line(out, 2, "*MAP_DIFFUSE {");
        line(out, 3, "*MAP_NAME " + quotedName(m.name + "Picture"));
        line(out, 3, "*MAP_CLASS \"Bitmap\"");
        line(out, 3, "*MAP_SUBNO 1");
        line(out, 3, "*MAP_AMOUNT " + fixed4(1.0));
        line(out, 3, "*BITMAP " + quoted(m.bitmap));
        line(out, 3, "*MAP_TYPE Screen");
        line(out, 3, "*UVW_U_OFFSET " + fixed4(0.0));
        line(out, 3, "*UVW_V_OFFSET " + fixed4(0.0));
        line(out, 3, "*UVW_U_TILING " + fixed4(m.uTiling));
        line(out, 3, "*UVW_V_TILING " + fixed4(m.vTiling));
        line(out, 3, "*UVW_ANGLE " + fixed4(0.0));
        line(out, 3, "*UVW_BLUR " + fixed4(1.0));
        line(out, 3, "*BITMAP_FILTER Pyramidal");
        line(out, 2, "}");
    }
    line(out, 1, "}");
}

// Positions stay in model space, so the node transform is the identity.
static void writeNodeTransform(std::string& out, const std::string& name) {
    line(out, 1, "*NODE_TM {");
    line(out, 2, "*NODE_NAME " + quotedName(name));
    line(out, 2, "*INHERIT_POS 0 0 0");
    line(out, 2, "*INHERIT_ROT 0 0 0");
    line(out, 2, "*INHERIT_SCL 0 0 0");
    line(out, 2, "*TM_ROW0 " + triple(1, 0, 0));
    line(out, 2, "*TM_ROW1 " + triple(0, 1, 0));
    line(out, 2, "*TM_ROW2 " + triple(0, 0, 1));
    line(out, 2, "*TM_ROW3 " + triple(0, 0, 0));
    line(out, 2, "*TM_POS " + triple(0, 0, 0));
    line(out, 2, "*TM_ROTAXIS " + triple(0, 0, 0));
    line(out, 2, "*TM_ROTANGLE " + fixed4(0));
    line(out, 2, "*TM_SCALE " + triple(1, 1, 1));
    line(out, 2, "*TM_SCALEAXIS " + triple(0, 0, 0));
    line(out, 2, "*TM_SCALEAXISANG " + fixed4(0));
    line(out, 1, "}");
}

static void writeObject(std::string& out, const MeshObject& object) {
    const Mesh& mesh = object.mesh;
    char text[200];
    line(out, 0, "*GEOMOBJECT {");
    line(out, 1, "*NODE_NAME " + quotedName(object.name));
    writeNodeTransform(out, object.name);
    line(out, 1, "*MESH {");
    line(out, 2, "*TIMEVALUE 0");
    line(out, 2, "*MESH_NUMVERTEX " + std::to_string(mesh.vertices.size()));
    line(out, 2, "*MESH_NUMFACES " + std::to_string(mesh.faces.size()));
    line(out, 2, "*MESH_VERTEX_LIST {");
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const Vec3& v = mesh.vertices[i];
        std::snprintf(text, sizeof text, "*MESH_VERTEX %4zu\t", i);
        line(out, 3, text + triple(v.x, -v.z, v.y));
    }
    line(out, 2, "}");
    line(out, 2, "*MESH_FACE_LIST {");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
        const Triangle& f = mesh.faces[i];
        std::snprintf(text, sizeof text,
                      "*MESH_FACE %4zu:    A: %4d B: %4d C: %4d AB:    1 BC:    1 CA:    1"
                      "\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0",
                      i, f.a, f.b, f.c);
        line(out, 3, text);
    }
    line(out, 2, "}");
    if (!mesh.texCoords.empty()) {
        // Without texture faces of its own, texture vertices parallel the
        // vertices, so each texture face names the same corners as its face.
        const std::vector<Triangle>& texFaces = mesh.texFaces.empty() ? mesh.faces : mesh.texFaces;
        line(out, 2, "*MESH_NUMTVERTEX " + std::to_string(mesh.texCoords.size()));
        line(out, 2, "*MESH_TVERTLIST {");
        for (size_t i = 0; i < mesh.texCoords.size(); ++i) {
            const Vec2& t = mesh.texCoords[i];
            std::snprintf(text, sizeof text, "*MESH_TVERT %zu\t", i);
            line(out, 3, text + triple(t.x, t.y, 0.0));
        }
        line(out, 2, "}");
        line(out, 2, "*MESH_NUMTVFACES " + std::to_string(texFaces.size()));
        line(out, 2, "*MESH_TFACELIST {");
        for (size_t i = 0; i < texFaces.size(); ++i) {
            const Triangle& f = texFaces[i];
            std::snprintf(text, sizeof text, "*MESH_TFACE %zu\t%d\t%d\t%d", i, f.a, f.b, f.c);
            line(out, 3, text);
        }
        line(out, 2, "}");
    }
    line(out, 1, "}");
    line(out, 1, "*PROP_MOTIONBLUR 0");
    line(out, 1, "*PROP_CASTSHADOW 1");
    line(out, 1, "*PROP_RECVSHADOW 1");
    line(out, 1, "*MATERIAL_REF " + std::to_string(object.materialIndex));
    line(out, 0, "}");
}

std::string aseText(const Model& model, const std::string& comment) {
    std::string out;
    line(out, 0, "*3DSMAX_ASCIIEXPORT\t200");
    line(out, 0, "*COMMENT " + quoted(comment));
    line(out, 0, "*SCENE {");
    line(out, 1, "*SCENE_FILENAME \"\"");
    line(out, 1, "*SCENE_FIRSTFRAME 0");
    line(out, 1, "*SCENE_LASTFRAME 100");
    line(out, 1, "*SCENE_FRAMESPEED 30");
    line(out, 1, "*SCENE_TICKSPERFRAME 160");
    line(out, 1, "*SCENE_BACKGROUND_STATIC " + triple(0, 0, 0));
    line(out, 1, "*SCENE_AMBIENT_STATIC " + triple(0, 0, 0));
    line(out, 0, "}");
    line(out, 0, "*MATERIAL_LIST {");
    line(out, 1, "*MATERIAL_COUNT " + std::to_string(model.materials.size()));
    for (size_t i = 0; i < model.materials.size(); ++i) {
        writeMaterial(out, static_cast<int>(i), model.materials[i]);
    }
    line(out, 0, "}");
    for (const MeshObject& object : model.objects) {
        writeObject(out, object);
    }
    return out;
}
