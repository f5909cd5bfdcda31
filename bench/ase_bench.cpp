// Reads one generated 200,000-triangle, 20-object .ase file with the program's
// reader and with the assimp the converter links (no post-processing), and
// prints triangles per second for each: the best of several runs. Fails when
// either reads other than every triangle, since the figures would then
// compare nothing.
#include "assets/ase_loader.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

static const int OBJECTS = 20;
static const int COLUMNS = 50; // quads per row; two triangles each
static const int ROWS = 100;   // 50 * 100 * 2 = 10,000 triangles per object

static void noTexture(const char*, unsigned* name) {
    *name = 0;
}

// The exporter's layout: materials, then per object vertices, faces with edge
// flags, texture vertices and faces, and the normals block.
static std::string generate() {
    std::string s = "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"generated\"\n*MATERIAL_LIST {\n"
                    "\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Grey\"\n"
                    "\t\t*MATERIAL_DIFFUSE 0.5882\t0.5882\t0.5882\n\t}\n}\n";
    char line[256];
    const int vertices = (COLUMNS + 1) * (ROWS + 1);
    const int faces = COLUMNS * ROWS * 2;
    for (int o = 0; o < OBJECTS; ++o) {
        s += "*GEOMOBJECT {\n\t*NODE_NAME \"Grid\"\n\t*MESH {\n\t\t*TIMEVALUE 0\n";
        std::snprintf(line, sizeof line, "\t\t*MESH_NUMVERTEX %d\n\t\t*MESH_NUMFACES %d\n",
                      vertices, faces);
        s += line;
        s += "\t\t*MESH_VERTEX_LIST {\n";
        for (int v = 0; v < vertices; ++v) {
            const float x = float(v % (COLUMNS + 1)) * 1.25f + float(o) * 70.0f;
            const float y = float(v / (COLUMNS + 1)) * 0.75f;
            const float z = float((v * 7919) % 1000) * 0.0123f;
            std::snprintf(line, sizeof line, "\t\t\t*MESH_VERTEX %5d\t%.4f\t%.4f\t%.4f\n", v, x, y,
                          z);
            s += line;
        }
        s += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
        for (int f = 0; f < faces; ++f) {
            const int quad = f / 2;
            const int a = quad / COLUMNS * (COLUMNS + 1) + quad % COLUMNS;
            const int b = a + 1, c = a + COLUMNS + 1, d = c + 1;
            const int i0 = a, i1 = f % 2 ? d : b, i2 = f % 2 ? c : d;
            std::snprintf(line, sizeof line,
                          "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    "
                          "0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                          f, i0, i1, i2);
            s += line;
        }
        std::snprintf(line, sizeof line, "\t\t}\n\t\t*MESH_NUMTVERTEX %d\n\t\t*MESH_TVERTLIST {\n",
                      vertices);
        s += line;
        for (int v = 0; v < vertices; ++v) {
            std::snprintf(line, sizeof line, "\t\t\t*MESH_TVERT %d\t%.4f\t%.4f\t0.0000\n", v,
                          float(v % (COLUMNS + 1)) / COLUMNS, float(v / (COLUMNS + 1)) / ROWS);
            s += line;
        }
        std::snprintf(line, sizeof line, "\t\t}\n\t\t*MESH_NUMTVFACES %d\n\t\t*MESH_TFACELIST {\n",
                      faces);
        s += line;
        for (int f = 0; f < faces; ++f) {
            const int quad = f / 2;
            const int a = quad / COLUMNS * (COLUMNS + 1) + quad % COLUMNS;
            const int b = a + 1, c = a + COLUMNS + 1, d = c + 1;
            std::snprintf(line, sizeof line, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n", f, a,
                          f % 2 ? d : b, f % 2 ? c : d);
            s += line;
        }
        s += "\t\t}\n\t\t*MESH_NORMALS {\n";
        for (int f = 0; f < faces; ++f) {
            std::snprintf(line, sizeof line, "\t\t\t*MESH_FACENORMAL %d\t0.0000\t0.0000\t1.0000\n",
                          f);
            s += line;
            for (int k = 0; k < 3; ++k) {
                std::snprintf(line, sizeof line,
                              "\t\t\t\t*MESH_VERTEXNORMAL %d\t0.0000\t0.0000\t1.0000\n", f / 2);
                s += line;
            }
        }
        s += "\t\t}\n\t}\n\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n"
             "\t*MATERIAL_REF 0\n}\n";
    }
    return s;
}

template <typename F> static double bestSeconds(int runs, F run) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds < best)
            best = seconds;
    }
    return best;
}

int main() {
    const std::string text = generate();
    char path[] = "/tmp/ase_bench_XXXXXX.ase";
    const int fd = mkstemps(path, 4);
    if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size())) {
        std::perror("ase_bench: cannot write the model file");
        return 1;
    }
    close(fd);
    const double triangles = double(OBJECTS) * COLUMNS * ROWS * 2;
    std::printf("model: %d objects, %.0f triangles, %.1f MB\n", OBJECTS, triangles,
                double(text.size()) / 1e6);

    aseLoader.textureLoader = noTexture;
    size_t loaded = 0;
    const double ours = bestSeconds(5, [&] {
        tModel model;
        aseLoader.load(&model, path);
        loaded = 0;
        for (const t3DObject& object : model.objects)
            loaded += object.faces.size();
    });
    std::printf("letterbot AseLoader: %8.1f ms  %12.0f triangles/s  (%zu triangles read)\n",
                ours * 1e3, triangles / ours, loaded);

    size_t imported = 0;
    std::string refusal;
    const double theirs = bestSeconds(5, [&] {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, 0);
        imported = 0;
        for (unsigned i = 0; scene && i < scene->mNumMeshes; ++i)
            imported += scene->mMeshes[i]->mNumFaces;
        if (!scene)
            refusal = importer.GetErrorString();
    });
    std::printf("assimp Importer:     %8.1f ms  %12.0f triangles/s  (%zu triangles read)\n",
                theirs * 1e3, triangles / theirs, imported);
    std::printf("ratio: %.2fx assimp's rate\n", theirs / ours);
    int status = 0;
    if (double(loaded) != triangles || double(imported) != triangles) {
        std::fprintf(stderr,
                     "ase_bench: no comparison: of %.0f triangles the reader read %zu, assimp %zu%s%s\n",
                     triangles, loaded, imported, refusal.empty() ? "" : "; assimp: ",
                     refusal.c_str());
        status = 1;
    }
    if (!getenv("ASE_BENCH_KEEP"))
        std::remove(path);
    else
        std::printf("kept %s\n", path);
    return status;
}
