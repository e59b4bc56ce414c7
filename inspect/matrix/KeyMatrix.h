// The value of one entry in every selection of a tree: groups and transducers down, clinical
// settings across, each cell with the layer and the file that win.
#ifndef QUENDEL_INSPECT_MATRIX_KEYMATRIX_H
#define QUENDEL_INSPECT_MATRIX_KEYMATRIX_H

#include <cstddef>
#include <string>
#include <vector>

#include "inspect/matrix/TreeModel.h"

struct MatrixCell {
    bool m_found = false;
    std::string m_value;
    std::string m_layer;
    std::string m_file;  // below the resource root (or the user-defined directory)
    size_t m_line = 0;   // 0 in a resource file
};

struct MatrixRow {
    std::string m_group;
    std::string m_probe;
    std::string m_product;  // the product whose transducer file the row reads; empty for none
    std::vector<MatrixCell> m_cells;  // one per clinical setting of the matrix
};

struct KeyMatrix {
    std::string m_section;  // as a lookup compares it
    std::string m_key;
    std::vector<std::string> m_clinical;
    std::vector<MatrixRow> m_rows;
};

// The names are taken as a lookup takes them (blanks removed).
KeyMatrix MatrixOf(const TreeModel& model, const std::string& section, const std::string& key);

#endif
