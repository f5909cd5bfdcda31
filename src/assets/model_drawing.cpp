// Model drawing: one glBegin/glEnd per object, four or five calls per corner.
#include "assets/model_drawing.h"

#include "platform/platform_api.h"

static const tMaterialInfo* materialOf(const tModel& model, int32_t index) {
    if (index < 0 || size_t(index) >= model.materials.size())
        return nullptr;
    return &model.materials[size_t(index)];
}

void drawModel(const tModel* model) {
    if (!model)
        return;
    const size_t objectCount = model->objectCount < 0 ? 0 : size_t(model->objectCount);
    for (size_t i = 0; i < objectCount && i < model->objects.size(); ++i) {
        const t3DObject& object = model->objects[i];
        const tMaterialInfo* material = materialOf(*model, object.materialIndex);
        if (object.hasTexture) {
            glEnable(GL_TEXTURE_2D);
            glColor3ub(255, 255, 255);
            // Without its material the object gets GL's empty texture 0, like a
            // material that names no image.
            glBindTexture(GL_TEXTURE_2D, material ? material->textureId : 0);
        } else {
            glDisable(GL_TEXTURE_2D);
            glColor3ub(255, 255, 255);
        }

        glBegin(GL_TRIANGLES);
        const bool texCoords = !object.texCoords.empty();
        for (const tFace& face : object.faces) {
            for (int k = 0; k < 3; ++k) {
                const size_t n = size_t(face.vertexIndex[k]);
                const tVector3& normal = object.normals[n];
                glNormal3f(normal.x, normal.y, normal.z);
                if (object.hasTexture) {
                    if (texCoords) {
                        const tVector2& t = object.texCoords[size_t(face.texCoordIndex[k])];
                        glTexCoord2f(t.u, t.v);
                    }
                } else if (material) {
                    glColor3ub(material->color[0], material->color[1], material->color[2]);
                }
                const tVector3& vertex = object.vertices[n];
                glVertex3f(vertex.x, vertex.y, vertex.z);
            }
        }
        glEnd();
    }
}
