// What a form showed when it last agreed with its table: the row it was
// filled from or applied to (-1 for none) and the form's values then. The
// form holds unapplied edits while it differs from those values.
#pragma once

namespace kes::editor {

template <typename Form>
class FormBaseline {
public:
    void set(int row, const Form& form)
    {
        row_ = row;
        form_ = form;
    }
    int row() const { return row_; }
    // The row moved (or went: -1); the form's values stay.
    void setRow(int row) { row_ = row; }
    bool differs(const Form& current) const { return !(current == form_); }
private:
    int row_ = -1;
    Form form_{};
};

} // namespace kes::editor
