// Precompiled header of the windowed code.
#pragma once
#include <wx/wx.h>
#include <wx/image.h>
#include <wx/dcbuffer.h>
#include <wx/treectrl.h>
#include <wx/splitter.h>
#include <wx/propdlg.h>
#include <wx/notebook.h>
#include <wx/grid.h>
#include <gdal_priv.h>
#include <memory>
#include <string>
#include <vector>
