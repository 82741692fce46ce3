#pragma once

// Declarations of the UI stand-in's classes, so a header includes only what
// it needs.

#include <cstdint>
#include <memory>
#include <vector>

class CALayer;
class CAShapeLayer;
class LayerContentSource;
class NSLayoutAnchor;
class NSLayoutConstraint;
class NSLayoutDimension;
class NSLayoutXAxisAnchor;
class NSLayoutYAxisAnchor;
class UIAction;
class UIAlertAction;
class UIAlertController;
class UIApplication;
class UIBarButtonItem;
class UIBezierPath;
class UIButton;
class UICollectionView;
class UICollectionViewCell;
class UICollectionViewDataSource;
class UICollectionViewDelegate;
class UICollectionViewDelegateFlowLayout;
class UICollectionViewFlowLayout;
class UIColor;
class UIContextMenuConfiguration;
class UIContextMenuView;
class UIControl;
class UIEvent;
class UIFont;
class UIGestureRecognizer;
class UIImage;
class UIImageView;
class UIImpactFeedbackGenerator;
class UIKey;
class UIKeyCommand;
class UILabel;
class UIMenu;
class UINavigationController;
class UINavigationItem;
class UIResponder;
class UIScrollView;
class UISegmentedControl;
class UISlider;
class UIScreen;
class UISwitch;
class UITapGestureRecognizer;
class UITextField;
class UITouch;
class UITouchSet;
class UITraitCollection;
class UIView;
class UIViewController;
class UIWindow;

struct CGColor;
struct CGPath;
using CGColorRef = std::shared_ptr<const CGColor>;
using CGPathRef = std::shared_ptr<const CGPath>;
using CGMutablePathRef = std::shared_ptr<CGPath>;
