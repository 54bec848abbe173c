// Tests of the Word 97-2003 layer; each structure has its own file beside this one.
