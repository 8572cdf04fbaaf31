// Nothing: a library that only carries precompiled headers needs one source.
