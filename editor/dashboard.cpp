#include "editor/dashboard.h"

#include "editor/controlgeometry.h"
#include "editor/controlpainting.h"
#include "editor/dialshading.h"
#include "editor/palette.h"
#include "editor/statuspainting.h"

#include "vstgui/lib/cframe.h"
#include "vstgui/lib/controls/coptionmenu.h"
#include "vstgui/lib/platform/platformfactory.h"

#include <cmath>

namespace cadora {

using namespace VSTGUI;

namespace {

// Resource names in the order of playerLogos.
constexpr const char* kLogoResources[kLogoCount] = {"PLAYER_KUGOU", "PLAYER_QQMUSIC", "PLAYER_MVBOX",
                                                    "PLAYER_NETEASE", "PLAYER_WESING"};

// Menu entries; the position is the "Player Source" value.
constexpr const char* kPlayerMenu[] = {"自动检测", "酷狗音乐", "QQ音乐", "网易云音乐", "全民K歌", "MVBOX"};

// What each painting step covers, in design units, with room for line widths.
constexpr DesignRect kHeaderBounds {0, 0, 500, 62};
constexpr DesignRect kSpectrumBounds {24, 63, 476, 147};
constexpr DesignRect kSongCardBounds {24, 159, 476, 219};
constexpr DesignRect kPitchBounds {24, 232, 476, 406};
constexpr DesignRect kSlidersBounds {20, 408, 480, 500};
constexpr DesignRect kGripBounds {470, 492, 492, 512};

bool overlaps (const CRect& a, const DesignRect& b)
{
	return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

CadoraDashboard::CadoraDashboard (const CRect& size, const DashboardCallbacks& callbacks,
                                  std::unique_ptr<DashboardSource> sourceToUse)
: CView (size), source (std::move (sourceToUse)), state (callbacks, *source)
{
	loadLogos ();
	refreshTimer = makeOwned<CVSTGUITimer> ([this] (CVSTGUITimer*) { refreshTick (); }, kRefreshMs, true);
}

CadoraDashboard::~CadoraDashboard () noexcept
{
	if (refreshTimer)
		refreshTimer->stop ();
}

void CadoraDashboard::loadLogos ()
{
	for (int i = 0; i < kLogoCount; ++i)
	{
		const ByteSpan bytes = source->logo (kLogoResources[i]);
		if (!bytes.data || bytes.size == 0)
			continue;
		if (auto bitmap =
		        getPlatformFactory ().createBitmapFromMemory (bytes.data, static_cast<uint32_t> (bytes.size)))
			playerLogos[i] = makeOwned<CBitmap> (bitmap);
	}
}

bool CadoraDashboard::hasLogo (int32_t index) const
{
	return index >= 0 && index < kLogoCount && playerLogos[index] != nullptr;
}

// Made again only when the view's scale changes.
CBitmap* CadoraDashboard::dialShadingFor (double scale)
{
	if (scale != dialShadingScale)
	{
		const ShadingPicture picture = dialShading (scale);
		dialShadingImage = premultipliedBitmap (picture.width, picture.height, picture.rgba.data (), scale);
		dialShadingScale = scale;
	}
	return dialShadingImage.get ();
}

void CadoraDashboard::invalidDesignRect (const DesignRect& r)
{
	const CRect view = getViewSize ();
	const DesignRect v = DesignFit::forView (view.getWidth (), view.getHeight ()).toView (r);
	CRect dirty (v.left, v.top, v.right, v.bottom);
	dirty.offset (view.left, view.top);
	// Whole pixels, so that antialiased edges are repainted too.
	dirty.left = std::floor (dirty.left);
	dirty.top = std::floor (dirty.top);
	dirty.right = std::ceil (dirty.right);
	dirty.bottom = std::ceil (dirty.bottom);
	invalidRect (dirty);
}

void CadoraDashboard::refreshTick ()
{
	for (const DesignRect& r : state.tick ())
		invalidDesignRect (r);
}

void CadoraDashboard::draw (CDrawContext* context)
{
	const CRect view = getViewSize ();
	// Whole pixels for the view's own rectangle (the cairo back end insets a filled
	// rectangle by half a pixel otherwise), free coordinates for the design.
	context->setDrawMode (kAntiAliasing);
	context->setFillColor (palette::kBackground);
	context->drawRect (view, kDrawFilled);
	context->setDrawMode (kAntiAliasing | kNonIntegralMode);
	const DesignFit fit = DesignFit::forView (view.getWidth (), view.getHeight ());
	const CGraphicsTransform toView = CGraphicsTransform ()
	                                      .scale (fit.scale, fit.scale)
	                                      .translate (view.left + fit.offsetX, view.top + fit.offsetY);
	{
		CDrawContext::Transform transform (*context, toView);
		CRect dirty;
		context->getClipRect (dirty);
		paintSections (*context, dirty);
	}
	setDirty (false);
}

// The model advances on every drawing (bars, song rules); only the sections that the
// clip touches are painted.
void CadoraDashboard::paintSections (CDrawContext& context, const CRect& dirty)
{
	Painter painter (context, fonts);
	painter.fillRect ({0, 0, kDesignWidth, kDesignHeight}, palette::kBackground);
	StatusReading status = state.readStatus ();
	state.advanceBars (status);
	const SongCard card = state.songCard (status);
	if (overlaps (dirty, kHeaderBounds))
		paintHeader (painter, state.logoHover, status.linkConnected);
	if (overlaps (dirty, kSpectrumBounds))
		paintSpectrum (painter, state.bars);
	if (overlaps (dirty, kSongCardBounds))
		paintSongCard (painter, card, playerLogos[card.logo].get ());
	if (overlaps (dirty, kPitchBounds))
	{
		// Pixels per design unit: the design fit times the back end's own scale.
		const double pixels = context.getCurrentTransform ().m11 * context.getScaleFactor ();
		paintPitchSection (painter, state.pitchShown, state.pitchButtonHover, dialShadingFor (pixels));
		state.pitchPainted = state.pitchShown;
	}
	if (overlaps (dirty, kSlidersBounds))
	{
		paintSlider (painter, kFirstSliderRect, "电音强度", state.hardnessShown, palette::kViolet);
		paintSlider (painter, kSecondSliderRect, "消音强度", state.muteShown, palette::kAmber);
	}
	if (overlaps (dirty, kGripBounds))
		paintGrip (painter);
}

void CadoraDashboard::applyOutcome (const MouseOutcome& outcome, const CPoint& where)
{
	if (outcome.redraw)
		invalid ();
	if (outcome.cursor != CursorChange::none && getFrame ())
		getFrame ()->setCursor (outcome.cursor == CursorChange::hand ? kCursorHand : kCursorDefault);
	if (outcome.showPlayerMenu)
		showPlayerMenu (where);
}

// A press or a move, in view coordinates, handed to the model; isLeftButton is true for
// the left button alone, whatever modifier keys or the double-click bit say.
template <typename Handler>
CMouseEventResult CadoraDashboard::pointerEvent (CPoint& where, const CButtonState& buttons, Handler handler)
{
	const CRect view = getViewSize ();
	const MouseOutcome outcome =
	    (state.*handler) ({where.x - view.left, where.y - view.top}, view.getWidth (), view.getHeight (),
	                      buttons.isLeftButton ());
	applyOutcome (outcome, where);
	return outcome.handled ? kMouseEventHandled : kMouseEventNotHandled;
}

CMouseEventResult CadoraDashboard::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	return pointerEvent (where, buttons, &DashboardModel::press);
}

CMouseEventResult CadoraDashboard::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	return pointerEvent (where, buttons, &DashboardModel::move);
}

CMouseEventResult CadoraDashboard::onMouseUp (CPoint& where, const CButtonState&)
{
	applyOutcome (state.release (), where);
	return kMouseEventHandled;
}

CMouseEventResult CadoraDashboard::onMouseExited (CPoint& where, const CButtonState&)
{
	applyOutcome (state.exit (), where);
	return kMouseEventNotHandled;
}

void CadoraDashboard::showPlayerMenu (const CPoint& where)
{
	auto* menu = new COptionMenu (CRect (where, CPoint (0, 0)), nullptr, -1, nullptr, nullptr,
	                              COptionMenu::kCheckStyle);
	for (const char* title : kPlayerMenu)
		menu->addEntry (new CMenuItem (title));
	menu->setCurrent (state.playerMenuCurrent (), true);
	CFrame* frame = getFrame ();
	if (!frame)
	{
		menu->forget ();
		return;
	}
	frame->addView (menu); // the frame owns it from here on
	// The window may close while the menu is up: keep this view alive and act only while
	// it is still attached.
	auto self = shared (this);
	menu->popup ([self] (COptionMenu* shown) {
		const int32_t result = shown->getLastResult ();
		if (self->isAttached ())
			self->state.playerMenuClosed (result);
		if (auto* owner = shown->getFrame ())
			owner->removeView (shown, true);
		self->invalid ();
	});
}

} // namespace cadora
