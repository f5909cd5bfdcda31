// Generates .ase text for tests: well-formed models in the exporter's layout,
// and, on request, the untidy kinds of file the reader must take the same way
// every time (odd white space, numbers in every notation, long lines, keywords
// in the middle of lines, indices out of range, counts after the data).
#pragma once

#include <cstdio>
#include <random>
#include <string>

struct AseGenerator {
    std::mt19937 random;
    bool untidy;

    AseGenerator(unsigned seed, bool untidy) : random(seed), untidy(untidy) {}

    int below(int n) { return n <= 0 ? 0 : int(random() % unsigned(n)); }
    bool chance(int percent) { return below(100) < percent; }

    std::string space() {
        if (!untidy)
            return "\t";
        static const char* const runs[] = {" ", "\t", "  ", " \t ", "\t\t", "    ", ""};
        return runs[below(7)];
    }

    std::string lineEnd() { return untidy && chance(20) ? "\r\n" : "\n"; }

    std::string number(float value) {
        char text[64];
        if (!untidy || chance(70)) {
            std::snprintf(text, sizeof text, "%.4f", value);
            return text;
        }
        switch (below(9)) {
        case 0:
            std::snprintf(text, sizeof text, "%g", value);
            return text;
        case 1:
            std::snprintf(text, sizeof text, "%e", value);
            return text;
        case 2:
            std::snprintf(text, sizeof text, "%.9f", value);
            return text;
        case 3:
            std::snprintf(text, sizeof text, "%a", value);
            return text;
        case 4:
            return below(2) ? "nan" : "-inf";
        case 5:
            return "abc";
        case 6:
            std::snprintf(text, sizeof text, "+%.1f", value);
            return text;
        case 7:
            return ".5";
        default:
            std::snprintf(text, sizeof text, "%.0f.", value);
            return text;
        }
    }

    std::string index(int value, int count) {
        if (untidy && chance(3))
            return std::to_string(below(2) ? count + below(3) : -1 - below(3));
        if (untidy && chance(2))
            return "x";
        return std::to_string(value);
    }

    float coordinate() { return float(below(200001) - 100000) / 1000.0f; }

    std::string noise() {
        static const char* const lines[] = {
            "*MESH_SMOOTHING 1",
            "}",
            "{",
            "*NODE_NAME \"Box01\"",
            "*TM_ROW0 1.0000\t0.0000\t0.0000",
            "*MESH_VERTEX 0 1 2 3 *GEOMOBJECT",
            "*MATERIAL_REF",
            "*MESH_FACE",
            "junk *MESH_VERTEX 1 2 3 4",
            "*MESH_NUMVERTEX -4",
            "*MATERIAL *MATERIAL_DIFFUSE 1 1 1",
            "*MESH_TFACE *MESH_VERTEX 1 4 5 6",
            "*MESH_FACE *GEOMOBJECT",
            "*MESH_TVERT\t*MESH_NUMTVERTEX 3",
        };
        if (chance(15)) { // a line longer than one discard
            std::string line = "*COMMENT";
            while (line.size() < 99 + size_t(below(120)))
                line += chance(10) ? " *MESH_VERTEX 0 9 9 9" : " word";
            return line;
        }
        return lines[below(14)];
    }

    std::string material(int n) {
        std::string s = "\t*MATERIAL " + std::to_string(n) + " {" + lineEnd();
        s += "\t\t*MATERIAL_NAME \"Material " + std::to_string(n) + "\"" + lineEnd();
        s += "\t\t*MATERIAL_DIFFUSE" + space() + number(float(below(1001)) / 1000.0f) + space() +
             number(float(below(1001)) / 1000.0f) + space() + number(float(below(1001)) / 1000.0f) +
             lineEnd();
        if (chance(50)) {
            s += "\t\t*MAP_DIFFUSE {" + lineEnd();
            s += "\t\t\t*BITMAP \"maps\\tex " + std::to_string(n) + ".bmp\"" + lineEnd();
            if (chance(80))
                s += "\t\t\t*UVW_U_TILING " + number(float(1 + below(4))) + lineEnd();
            if (chance(80))
                s += "\t\t\t*UVW_V_TILING " + number(float(1 + below(4))) + lineEnd();
            s += "\t\t}" + lineEnd();
        }
        if (untidy && chance(30))
            s += "\t\t" + noise() + lineEnd();
        s += "\t}" + lineEnd();
        return s;
    }

    std::string object(int vertices, int faces, int texCoords, int materials) {
        const int declaredVertices = untidy && chance(10) ? vertices + below(3) - 1 : vertices;
        const int declaredFaces = untidy && chance(10) ? faces + below(3) - 1 : faces;
        std::string counts = "\t\t*MESH_NUMVERTEX " + std::to_string(declaredVertices) + lineEnd() +
                             "\t\t*MESH_NUMFACES " + std::to_string(declaredFaces) + lineEnd();
        std::string s = "*GEOMOBJECT {" + lineEnd() + "\t*NODE_NAME \"Object\"" + lineEnd() +
                        "\t*MESH {" + lineEnd();
        const bool countsLate = untidy && chance(20);
        if (!countsLate)
            s += counts;
        s += "\t\t*MESH_VERTEX_LIST {" + lineEnd();
        for (int v = 0; v < vertices; ++v) {
            s += "\t\t\t*MESH_VERTEX" + space() + index(v, vertices) + space() +
                 number(coordinate()) + space() + number(coordinate()) + space() +
                 number(coordinate()) + lineEnd();
            if (untidy && chance(2))
                s += "\t\t\t" + noise() + lineEnd();
        }
        s += "\t\t}" + lineEnd() + "\t\t*MESH_FACE_LIST {" + lineEnd();
        for (int f = 0; f < faces; ++f) {
            char line[256];
            std::snprintf(
                line, sizeof line,
                "\t\t\t*MESH_FACE%s%4s:%sA:%s%4s B:%s%4s C:%s%4s AB:    1 BC:    1 CA:    "
                "0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0",
                untidy && chance(20) ? "          " : " ", index(f, faces).c_str(), space().c_str(),
                space().c_str(), index(below(vertices), vertices).c_str(), space().c_str(),
                index(below(vertices), vertices).c_str(), space().c_str(),
                index(below(vertices), vertices).c_str());
            s += line + lineEnd();
        }
        s += "\t\t}" + lineEnd();
        if (texCoords > 0) {
            s += "\t\t*MESH_NUMTVERTEX " + std::to_string(texCoords) + lineEnd();
            s += "\t\t*MESH_TVERTLIST {" + lineEnd();
            for (int t = 0; t < texCoords; ++t)
                s += "\t\t\t*MESH_TVERT " + index(t, texCoords) + space() +
                     number(float(below(1001)) / 1000.0f) + space() +
                     number(float(below(1001)) / 1000.0f) + space() + "0.0000" + lineEnd();
            s += "\t\t}" + lineEnd();
            s += "\t\t*MESH_NUMTVFACES " + std::to_string(faces) + lineEnd();
            s += "\t\t*MESH_TFACELIST {" + lineEnd();
            for (int f = 0; f < faces; ++f)
                s += "\t\t\t*MESH_TFACE " + index(f, faces) + space() +
                     index(below(texCoords), texCoords) + space() +
                     index(below(texCoords), texCoords) + space() +
                     index(below(texCoords), texCoords) + lineEnd();
            s += "\t\t}" + lineEnd();
        }
        if (countsLate)
            s += counts;
        s += "\t\t*MESH_NORMALS {" + lineEnd();
        for (int f = 0; f < faces && !untidy; ++f)
            s += "\t\t\t*MESH_FACENORMAL " + std::to_string(f) + "\t0.0000\t0.0000\t-1.0000" +
                 lineEnd() + "\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0000\t0.0000\t-1.0000" + lineEnd();
        s += "\t\t}" + lineEnd() + "\t}" + lineEnd();
        if (materials > 0 || chance(30)) {
            std::string ref = std::to_string(below(materials + 1));
            if (untidy && chance(20))
                ref = below(2) ? "1.9" : (below(2) ? "-1" : "nan");
            s += "\t*MATERIAL_REF " + ref + lineEnd();
        }
        s += "}" + lineEnd();
        return s;
    }

    std::string model(int objects, int maxVertices, int maxFaces) {
        std::string s = "*3DSMAX_ASCIIEXPORT\t200" + lineEnd() +
                        "*COMMENT \"AsciiExport Version  2,00\"" + lineEnd();
        const int materials = below(4);
        s += "*MATERIAL_LIST {" + lineEnd();
        const int declared = untidy && chance(30) ? below(6) : materials;
        if (!untidy || chance(90))
            s += "\t*MATERIAL_COUNT " + std::to_string(declared) + lineEnd();
        for (int m = 0; m < materials; ++m)
            s += material(m);
        s += "}" + lineEnd();
        for (int o = 0; o < objects; ++o) {
            const int vertices = 3 + below(maxVertices - 2);
            const int faces = below(maxFaces + 1);
            const int texCoords = chance(50) ? 1 + below(vertices) : 0;
            s += object(vertices, faces, texCoords, materials);
            if (untidy && chance(10))
                s += noise() + lineEnd();
        }
        return s;
    }
};
