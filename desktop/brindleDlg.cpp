// The converter dialog's logic. (Being written.)
