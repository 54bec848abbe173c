// The Word 97-2003 layer of the engine: compound files and the structures of binary Word documents.
