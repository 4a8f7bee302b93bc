// libgui needs one source file until its runtime lands. Delete this file
// when gui/runtime holds real sources.
